#include "base/KorventError.h"
#include "base/Platform.h"
#include "entries/EntryFields.h"

#include <QLocale>
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

TEST(ReadBirthDate, ShortDateFormatAndIsoDates)
{
    // The computer's own format, whichever it is.
    const QDate date(1980, 5, 7);
    EXPECT_EQ(ReadBirthDate(QLocale::system().toString(date, Platform::shortDateFormat())), date);
    EXPECT_EQ(ReadBirthDate(QStringLiteral("1980-05-07")), date);
    EXPECT_EQ(ReadBirthDate(QStringLiteral("1980-5-7")), date);
    for (const char *text : {"1980-02-30", "00.00.0000", "yesterday", "", "1980-05-07x"})
        EXPECT_EQ(ReadBirthDate(QString::fromLatin1(text)), std::nullopt) << text;
}

TEST(ReadBirthDate, NumericFormatsTakeShortPartsAndTwoDigitYearsAreNeverInTheFuture)
{
    const int thisYear = QDate::currentDate().year();
    const int lastTwo = thisYear % 100;
    const struct { const char *format; QString text; QDate expected; } cases[] = {
        {"dd.MM.yyyy", QStringLiteral("07.05.1980"), QDate(1980, 5, 7)},
        {"dd.MM.yyyy", QStringLiteral("7.5.1980"), QDate(1980, 5, 7)},
        {"dd.MM.yyyy", QStringLiteral("7/5/1980"), QDate()},
        {"dd.MM.yyyy", QStringLiteral("31.02.1980"), QDate()},
        {"M/d/yy", QStringLiteral("5/7/80"), QDate(1980, 5, 7)},
        {"M/d/yy", QStringLiteral("5/7/1980"), QDate(1980, 5, 7)},
        {"M/d/yy", QStringLiteral("1/2/%1").arg(lastTwo, 2, 10, QLatin1Char('0')), QDate(thisYear, 1, 2)},
        {"M/d/yy", QStringLiteral("1/2/%1").arg((lastTwo + 1) % 100, 2, 10, QLatin1Char('0')), QDate(thisYear - 99, 1, 2)},
        {"yyyy-MM-dd", QStringLiteral("1980-05-07"), QDate(1980, 5, 7)},
        {"d MMM yyyy", QLocale::system().toString(QDate(1980, 5, 7), QStringLiteral("d MMM yyyy")), QDate(1980, 5, 7)},
    };
    for (const auto &c : cases) {
        const std::optional<QDate> read = ReadBirthDate(c.text, QLatin1String(c.format));
        EXPECT_EQ(read.value_or(QDate()), c.expected) << c.format << " " << c.text.toStdString();
    }
}
