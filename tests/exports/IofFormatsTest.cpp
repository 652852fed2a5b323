#include "exports/IofFormats.h"
#include "exports/IofStatusWord.h"

#include <gtest/gtest.h>

TEST(IofStatusWord, EveryTeamStatusAndNoneOutside)
{
    const std::pair<qint64, const char *> cases[] = {
        {1, "OK"}, {2, "OverTime"}, {3, "NotCompeting"}, {4, "DidNotFinish"}, {5, "Disqualified"}, {6, "DidNotStart"},
        {7, "Finished"}, {8, "Active"}, {9, "Inactive"}, {0, ""}, {10, ""}, {-1, ""}, {-5, ""},
    };
    for (const auto &[status, word] : cases)
        EXPECT_EQ(IofStatusWord(status), QLatin1String(word)) << status;
}

TEST(IofFormats, DateTimesInTheIsoFormWithoutFraction)
{
    const QDate day(2024, 5, 18);
    EXPECT_EQ(IsoDateTimeText(DateTime::fromDateAndTime(day, QTime(12, 0, 0))), QStringLiteral("2024-05-18T12:00:00"));
    EXPECT_EQ(IsoDateTimeText(DateTime::fromDateAndTime(day, QTime(9, 5, 7, 990))), QStringLiteral("2024-05-18T09:05:07"));
    EXPECT_EQ(IsoDateTimeText(DateTime::fromDateAndTime(QDate(987, 1, 2), QTime(23, 59, 59))), QStringLiteral("0987-01-02T23:59:59"));
    EXPECT_EQ(IsoDateTimeText(0), QStringLiteral("1899-12-30T00:00:00"));
    EXPECT_EQ(IsoDateText(day), QStringLiteral("2024-05-18"));
}

TEST(IofFormats, UtcOffsetsWithSignHoursAndMinutes)
{
    const std::pair<int, const char *> cases[] = {
        {7200, "+02:00"}, {0, "+00:00"}, {-12600, "-03:30"}, {20700, "+05:45"}, {-36000, "-10:00"}, {50400, "+14:00"},
    };
    for (const auto &[seconds, text] : cases)
        EXPECT_EQ(UtcOffsetText(seconds), QLatin1String(text)) << seconds;
}
