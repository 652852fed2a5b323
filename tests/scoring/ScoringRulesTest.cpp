// The rules the team calculation and the readout share.

#include "base/KorventError.h"
#include "scoring/ExtraPointRules.h"
#include "scoring/OvertimePenalty.h"

#include <gtest/gtest.h>

TEST(OvertimePenalty, EveryStartedSpanCountsAndLateHasNone)
{
    TClassInfo h6;
    h6.maximumTime = 2'160'000; // 6 hours
    h6.penaltyTime = 180'000;   // 30 minutes
    const struct { qint64 runningTime; int seconds; int points; bool late; qint64 penalty; } cases[] = {
        {2'160'000, 60, -1, false, 0},    // exactly at the maximum
        {2'160'001, 60, -1, false, -1},   // one hundredth over
        {2'166'000, 60, -1, false, -2},   // exactly one span over: two
        {2'191'000, 60, -10, false, -60}, // 5 min 10 s over
        {2'340'000, 60, -1, false, -31},  // at maximum plus penalty time
        {2'340'001, 60, -1, true, 0},     // beyond it
        {2'340'001, 0, -1, true, 0},      // late needs no span
        {2'160'000, 0, -1, false, 0},     // nor does no penalty
    };
    for (const auto &c : cases) {
        const Overtime overtime = OvertimePenalty(c.runningTime, h6, c.seconds, c.points);
        EXPECT_EQ(overtime.late, c.late) << c.runningTime;
        EXPECT_EQ(overtime.penalty, c.penalty) << c.runningTime;
    }
    EXPECT_THROW(OvertimePenalty(2'160'001, h6, 0, -1), KorventError);
}

TEST(ExtraPointRules, TheFirstRuleOfALegCounts)
{
    const ExtraPointRules rules({{QStringLiteral("31>32"), 5}, {QStringLiteral("31>32"), 50}, {QStringLiteral("32>33"), 3}});
    EXPECT_EQ(rules.legPoints(QStringLiteral("31"), QStringLiteral("32")), 5);
    EXPECT_EQ(rules.legPoints(QStringLiteral("32"), QStringLiteral("33")), 3);
    EXPECT_EQ(rules.legPoints(QStringLiteral("32"), QStringLiteral("31")), 0);
    EXPECT_EQ(rules.legPoints(ExtraPointRules::startCode(), QStringLiteral("31")), 0);
    EXPECT_EQ(ExtraPointRules().legPoints(QStringLiteral("31"), QStringLiteral("32")), 0);
}
