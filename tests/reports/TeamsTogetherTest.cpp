#include "reports/TeamsTogether.h"

#include <QDate>
#include <gtest/gtest.h>

namespace {

tTeamTimeCheck punch(qint64 number, const char *code, int secondsAfterTen)
{
    return {number, QString::fromLatin1(code), DateTime::fromDateAndTime(QDate(2026, 6, 13), QTime(10, 0).addSecs(secondsAfterTen))};
}

} // namespace

TEST(TeamsTogether, NoPairsGiveNoLines)
{
    const TeamsTogether together = CheckTeamsTogether({punch(1, "31", 0), punch(2, "31", 61), punch(2, "32", 0)}, 60, 1);
    EXPECT_TRUE(together.pairLines.isEmpty());
    EXPECT_TRUE(together.groupLines.isEmpty());
}

TEST(TeamsTogether, PairsWithinTheWindowAndTeamsTogetherOftenEnough)
{
    const TeamsTogether together = CheckTeamsTogether(
        {
            punch(12, "31", 100), punch(5, "31", 130), punch(7, "31", 160), // 12-5 and 5-7 within 60 s; 12-7 exactly 60 s
            punch(8, "31", 221),                                            // 61 s after 7: alone
            punch(5, "32", 900), punch(12, "32", 905),
            punch(12, "F", 2000), punch(5, "F", 2001),
            punch(5, "33", 3000), punch(5, "33", 3010), // one team twice is no pair
        },
        60, 3);
    // Sorted as text: the right-aligned "F" comes before the numbers.
    EXPECT_EQ(together.pairLines, QStringList({"   5    7    31", "   5   12     F", "   5   12    31", "   5   12    32", "   7   12    31"}));
    EXPECT_EQ(together.groupLines, QStringList({"   5   12 x3"}));
}
