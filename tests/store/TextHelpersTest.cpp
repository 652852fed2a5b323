#include "base/KorventError.h"
#include "store/TextHelpers.h"

#include <gtest/gtest.h>

TEST(TextBeforeAfter, SplitAtFirstCharacter)
{
    const QString node = QStringLiteral("H12<*>(12:00:00|012:00:00|00:30:00)");
    EXPECT_EQ(TextBefore(u'<', node), QStringLiteral("H12"));
    EXPECT_EQ(TextAfter(u'(', node), QStringLiteral("12:00:00|012:00:00|00:30:00)"));
    EXPECT_EQ(TextAfter(u'*', QStringLiteral("abc")), QStringLiteral("abc"));
    EXPECT_EQ(TextBefore(u'*', QStringLiteral("abc")), QString());
    EXPECT_EQ(TextBefore(u'b', QStringLiteral("abcb")), QStringLiteral("a"));
}

TEST(SplitFields, EmptyFieldsBetweenButNotAtTheEnd)
{
    const struct { const char *text; QStringList expected; } cases[] = {
        {"a|b|c", {"a", "b", "c"}},
        {"a||c", {"a", "", "c"}},
        {"a|b|", {"a", "b"}},
        {"|a", {"", "a"}},
        {"||", {"", ""}},
        {"", {}},
        {"abc", {"abc"}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(SplitFields(QString::fromLatin1(c.text), u'|', 600), c.expected) << c.text;
}

TEST(SplitFields, FieldAboveMaximumIndexIsAnError)
{
    EXPECT_EQ(SplitFields(QStringLiteral("a b c"), u' ', 2).size(), 3);
    EXPECT_THROW(SplitFields(QStringLiteral("a b c d"), u' ', 2), KorventError);
    EXPECT_THROW(SplitFields(QStringLiteral("a b c "), u' ', 1), KorventError);
}

TEST(LeadingNumber, DigitsAfterBlanksUpToTheFirstOther)
{
    const struct { const char *text; qint64 expected; } cases[] = {
        {"42", 42}, {"  42x", 42}, {"x42", 0}, {"", 0}, {"07", 7}, {"-5", 0}, {"12:30", 12},
        {"0000000000000000000042", 42}, {"000000000000000000012:00", 12}, // leading zeros are no digits of the value
    };
    for (const auto &c : cases)
        EXPECT_EQ(LeadingNumber(QString::fromLatin1(c.text)), c.expected) << c.text;
}

TEST(OneLineText, LineBreaksBecomeBlanks)
{
    EXPECT_EQ(OneLineText(QStringLiteral("a\r\nb\nc\rd;e|f\tg")), QStringLiteral("a  b c d;e|f\tg"));
}
