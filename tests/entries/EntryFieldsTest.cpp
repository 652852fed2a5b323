#include "base/KorventError.h"
#include "entries/EntryFields.h"

#include <gtest/gtest.h>

TEST(SplitQuotedFields, QuotesAroundFieldsAreDroppedAndWhatTheyHoldIsKept)
{
    const struct { const char *text; QStringList expected; } cases[] = {
        {R"("12";"Team A";"Club")", {"12", "Team A", "Club"}},
        // An unquoted value between quoted ones is read unchanged.
        {R"("12";Club;"H12")", {"12", "Club", "H12"}},
        {R"("a;b";c)", {"a;b", "c"}},
        {R"("";x)", {"", "x"}},
        {R"("say ""hi""";x)", {R"(say ""hi"")", "x"}},
        {R"(a;;"b")", {"a", "", "b"}},
        {R"("a";b;)", {"a", "b"}},
        {"", {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(SplitQuotedFields(QString::fromUtf8(c.text), u';', 20), c.expected) << c.text;
    EXPECT_THROW(SplitQuotedFields(QStringLiteral(R"("a";"b";"c")"), u';', 1), KorventError);
}

TEST(StripQuotes, OnlyTextsStartingWithAQuoteLoseTheirEnds)
{
    const struct { const char *text; const char *expected; } cases[] = {
        {"", ""}, {R"("")", ""}, {R"("a")", "a"}, {"ab", "ab"}, {R"("a)", R"("a)"}, {"abc", "abc"}, {R"("abc)", "ab"},
        {R"(a"b")", R"(a"b")"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(StripQuotes(QString::fromUtf8(c.text)), QString::fromUtf8(c.expected)) << c.text;
}

TEST(SplitEntryLine, SemicolonsOrCommasQuotedOrNot)
{
    const QStringList expected{"12", "Team A", "Club", "H12", "Ann", "Lee", "00.00.0000", "W", "  8001234 ", "EST"};
    EXPECT_EQ(SplitEntryLine(QStringLiteral("12;Team A;Club;H12;Ann;Lee;00.00.0000;W;  8001234 ;EST")), expected);
    EXPECT_EQ(SplitEntryLine(QStringLiteral("12,Team A,Club,H12,Ann,Lee,00.00.0000,W,  8001234 ,EST")), expected);
    EXPECT_EQ(SplitEntryLine(QStringLiteral(R"("12","Team A","Club","H12","Ann","Lee","00.00.0000","W","  8001234 ","EST")")),
              expected);
    // Commas inside a ";" line stay in their field.
    EXPECT_EQ(SplitEntryLine(QStringLiteral("1;Lee, Ann;b;c;d;e;f;g;h")).at(1), QStringLiteral("Lee, Ann"));
    EXPECT_EQ(SplitEntryLine(QStringLiteral(";").repeated(20) + u'x').size(), 21);
    EXPECT_THROW(SplitEntryLine(QStringLiteral(";").repeated(21) + u'x'), KorventError);
}
