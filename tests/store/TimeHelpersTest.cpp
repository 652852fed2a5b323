#include "store/DateTime.h"
#include "store/TimeHelpers.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

TEST(ClockTextToHundredths, ReadsClockTextsAndRefusesOthers)
{
    const struct { const char *text; char separator; qint64 expected; } cases[] = {
        {"12:00:00", ',', 4'320'000},
        {"012:00:00", ',', 4'320'000},
        {"0:30:00", ',', 180'000},
        {"00:30:00", ',', 180'000},
        {"00:30:45", ',', 184'500},
        {"10:00:00,5", ',', 3'600'050},  // one digit is tenths
        {"10:00:00,25", ',', 3'600'025},
        {"10:00:00.5", ',', 3'600'000},  // another separator is not a fraction
        {"100:01:02", ',', 36'006'200},
        {"1:00:0", ',', -1},             // six characters
        {"12:00", ',', -1},
        {"x", ',', -1},
        {"1234567", ',', -1},            // no colon
        {"ab:cd:ef", ',', 0},            // a clock shape without digits reads as 0
        {"5965:13:56,47", ',', 2'147'483'647},            // the largest clock time
        {"5965:13:56,48", ',', -1},                       // out of range reads as invalid
        {"999999999999999999:00:00", ',', -1},
        {"99999999999999999999999:00:00", ',', -1},
        {"10:00:00,999999999999999999999", ',', -1},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ClockTextToHundredths(QString::fromLatin1(c.text), QLatin1Char(c.separator)), c.expected) << c.text;
}

TEST(FormatSeconds, ShowsHoursMinutesSeconds)
{
    const struct { qint64 seconds; const char *expected; } cases[] = {
        {0, "0:00:00"}, {3661, "1:01:01"}, {90'000, "25:00:00"}, {-5, "-"}, {100'000'061, "0:01:01"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(FormatSeconds(c.seconds), QLatin1String(c.expected)) << c.seconds;
}

TEST(FormatHundredths, ShowsTwoDigitHoursAndFraction)
{
    const struct { qint64 hundredths; int digits; const char *expected; } cases[] = {
        {4'500'050, 1, "12:30:00.5"},
        {4'500'050, 2, "12:30:00.50"},
        {4'500'050, 0, "12:30:00"},
        {360'007, 2, "01:00:00.07"},
        {0, 0, "00:00:00"},
        {-1, 0, "-"},
        {700'000'000, 0, "-"},
        {699'999'999, 0, "277:46:39"}, // the status part is dropped
    };
    for (const auto &c : cases)
        EXPECT_EQ(FormatHundredths(c.hundredths, c.digits), QLatin1String(c.expected)) << c.hundredths;
}

TEST(ResultText, PointsOrTeamStatus)
{
    const struct { qint64 result; const char *expected; } cases[] = {
        {0, "0"}, {125, "125"}, {-1, "OK"}, {-2, "LATE"}, {-3, "OB"}, {-4, "W/D"}, {-5, "DSQ"},
        {-6, "DNS"}, {-7, "NARes."}, {-8, "START"}, {-9, "NA"}, {-12, "NA"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ResultText(c.result), QLatin1String(c.expected)) << c.result;
}

TEST(SecondsBetween, WholeSecondsOrZeroWhenUnset)
{
    const SerialDateTime a = DateTime::fromDateAndTime(QDate(2026, 6, 1), QTime(10, 0, 0));
    const SerialDateTime b = DateTime::fromDateAndTime(QDate(2026, 6, 1), QTime(16, 5, 10));
    EXPECT_EQ(SecondsBetween(a, b), 21'910);
    EXPECT_EQ(SecondsBetween(b, a), 21'910);
    EXPECT_EQ(SecondsBetween(a, a), 0);
    EXPECT_EQ(SecondsBetween(0, b), 0);
    EXPECT_EQ(SecondsBetween(a, 0), 0);
    // Fractions of a second round to the nearest second.
    EXPECT_EQ(SecondsBetween(a, a + 1.4 / 86'400), 1);
    EXPECT_EQ(SecondsBetween(a, a + 1.6 / 86'400), 2);
}

TEST(UnwrapClockTime, StepsTwelveHoursUntilNotBeforeReference)
{
    const SerialDateTime reference = DateTime::fromDateAndTime(QDate(2026, 6, 1), QTime(0, 0, 0));
    qint64 time = 1'000;
    const SerialDateTime unwrapped = UnwrapClockTime(40'000'000, time, reference);
    EXPECT_EQ(time, 43'201'000);
    EXPECT_EQ(SecondsBetween(reference, unwrapped), 32'010); // 3,201,000 hundredths = 8:53:30
    EXPECT_EQ(DateTime::timePart(unwrapped), QTime(8, 53, 30));

    qint64 later = 50'000'000;
    EXPECT_EQ(UnwrapClockTime(40'000'000, later, reference), reference + 10'000'000 / 8'640'000.0);
    EXPECT_EQ(later, 50'000'000);

    qint64 onTheReference = 40'000'000 - 3 * ChipClockWrap;
    EXPECT_EQ(UnwrapClockTime(40'000'000, onTheReference, reference), reference);
    EXPECT_EQ(onTheReference, 40'000'000);
}

TEST(UnwrapClockTime, AnyGapTakesOneStep)
{
    const SerialDateTime reference = DateTime::fromDateAndTime(QDate(2026, 6, 1), QTime(12, 0, 0));
    const struct { qint64 reference; qint64 time; qint64 expected; } cases[] = {
        {4'320'000, -2'147'483'600, 8'196'400},
        {4'320'000, -9'000'000'000'000'000'000, 7'200'000},
        {9'000'000'000'000'000'000, -9'000'000'000'000'000'000, 9'000'000'000'001'440'000},
    };
    for (const auto &c : cases) {
        qint64 time = c.time;
        UnwrapClockTime(c.reference, time, reference);
        EXPECT_EQ(time, c.expected) << c.time;
    }
}

TEST(TimeCodeText, StatusWordsAndFormats)
{
    const struct { qint64 code; int kind; const char *expected; } cases[] = {
        {200'360'000, 0, "01:00.00*"},
        {300'000'000, 0, "DNF"},
        {0, 0, "00:00.00"},
        {100'000'000, 0, "-"},
        {400'000'000, 0, "MP"},
        {900'000'000, 0, "NA"},
        {360'050, 1, "01:00.00,5"},
        {360'050, 2, "01:00.00,50"},
        {33'000, 10, "005:30"},
        {33'000, 20, "5:30"},
        {3'000, 20, "0:30"},
        {360'000, 30, "001:00.00"},
        {360'000, 31, "1:00.00"},
        {360'000, 5, ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(TimeCodeText(c.code, c.kind), QLatin1String(c.expected)) << c.code << " kind " << c.kind;
}

TEST(ClockStamp, PlainNumbersWithoutLeadingZeros)
{
    const QRegularExpression shape(QStringLiteral("^([0-9]|1[0-9]|2[0-3]):([0-9]|[1-5][0-9]):([0-9]|[1-5][0-9]):([0-9]|[1-9][0-9])$"));
    EXPECT_TRUE(shape.match(ClockStamp()).hasMatch()) << ClockStamp().toStdString();
}

TEST(DateTimeText, TimeAloneOrWithDate)
{
    const SerialDateTime value = DateTime::fromDateAndTime(QDate(2026, 6, 1), QTime(9, 5, 7));
    const QString timeOnly = DateTimeText(false, value);
    EXPECT_TRUE(timeOnly.contains(QLatin1String("05"))) << timeOnly.toStdString();
    EXPECT_FALSE(timeOnly.contains(QLatin1String("2026")));
    const QString withDate = DateTimeText(true, value);
    EXPECT_TRUE(withDate.endsWith(QLatin1Char(' ') + timeOnly)) << withDate.toStdString();
    EXPECT_TRUE(withDate.contains(QLatin1String("26"))) << withDate.toStdString();
}
