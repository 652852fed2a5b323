#include "store/DateTime.h"
#include "store/MapHelpers.h"
#include "base/Platform.h"

#include <gtest/gtest.h>
#include <limits>

TEST(MapHelpers, DistanceIsTruncatedIntegerRoot)
{
    EXPECT_EQ(MapDistance(0, 0, 3, 4), 5);
    EXPECT_EQ(MapDistance(3, 4, 0, 0), 5);
    EXPECT_EQ(MapDistance(0, 0, 1, 1), 1);   // 1.414 truncated
    EXPECT_EQ(MapDistance(0, 0, 99, 99), 140); // 140.007
    EXPECT_EQ(MapDistance(10, 10, 10, 10), 0);
}

TEST(MapHelpers, UnitsToMetersByScale)
{
    const struct { qint64 units, scale, meters; } cases[] = {
        {10'000, 30000, 30'000},  // one metre of map at 1:30,000
        {1234, 30000, 3702},      // 3702.0
        {1235, 25000, 3087},      // 3087.5 truncated
        {1000, 0, 0},             // no scale set
        {0, 30000, 0},
        {-10, 30000, 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(MapUnitsToMeters(c.units, c.scale), c.meters) << c.units << " " << c.scale;
    EXPECT_EQ(DistanceMetersText(1234, 30000), QStringLiteral("3702"));
    QString kilometres = QStringLiteral("3") + Platform::decimalSeparator() + QStringLiteral("70");
    EXPECT_EQ(DistanceText(1234, 30000), kilometres);
}

TEST(MapHelpers, PositionsOfAnySizeNeitherOverflowNorHang)
{
    constexpr qint64 most = std::numeric_limits<qint64>::max();
    constexpr qint64 fifteen = 999'999'999'999'999;
    const struct { qint64 x1, y1, x2, y2, distance; } cases[] = {
        {-MapCoordinateLimit, -MapCoordinateLimit, MapCoordinateLimit, MapCoordinateLimit, 2'828'427}, // 2,828,427.12
        {-fifteen, 0, fifteen, 0, 2 * fifteen},
        {-most, 0, most, 0, most},
        {std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::min(), most, most, most},
        {0, 0, 67'108'864, 67'108'864, 94'906'265}, // a square of 2^53, 94,906,265.6
        {-3, -4, 0, 0, 5},
    };
    for (const auto &c : cases)
        EXPECT_EQ(MapDistance(c.x1, c.y1, c.x2, c.y2), c.distance) << c.x1 << " " << c.y1 << " " << c.x2 << " " << c.y2;
    EXPECT_EQ(MapUnitsToMeters(most, MapScaleLimit), most);
    EXPECT_EQ(MapUnitsToMeters(2'828'427, MapScaleLimit), 282'842'700);
}

TEST(MapHelpers, OnlyTheMarkerPairIsNoPosition)
{
    EXPECT_FALSE(MapPositionIsSet(-1, -1));
    for (const auto &[x, y] : {std::pair<qint64, qint64>{-1, 0}, {0, -1}, {-2, -1}, {-105, -420}, {0, 0}})
        EXPECT_TRUE(MapPositionIsSet(x, y)) << x << " " << y;
}

TEST(MapHelpers, DayNightChangesOnlyAtCrossings)
{
    using namespace std::chrono_literals;
    const std::chrono::seconds sunset = 21h + 30min;
    const std::chrono::seconds sunrise = 5h + 15min;
    auto at = [](int h, int m) { return DateTime::fromDateAndTime(QDate(2026, 6, 1), QTime(h, m)); };

    const struct { int flagBefore; int h; int m; int flagAfter; } cases[] = {
        {1, 12, 0, 1},  // day stays day
        {1, 21, 29, 1},
        {1, 21, 31, 0}, // after sunset
        {1, 2, 0, 0},   // night hours after midnight count as the day before's evening
        {1, 5, 16, 1},  // morning after sunrise: still day
        {0, 23, 0, 0},
        {0, 3, 0, 0},
        {0, 5, 16, 1},  // after sunrise
        {0, 12, 0, 1},
    };
    for (const auto &c : cases) {
        int flag = c.flagBefore;
        UpdateDayNight(flag, sunset, sunrise, at(c.h, c.m));
        EXPECT_EQ(flag, c.flagAfter) << c.flagBefore << " at " << c.h << ":" << c.m;
    }
}
