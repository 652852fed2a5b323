#pragma once

// Control positions are kept in tenths of a millimetre on the map; the map
// scale turns them into metres.

#include "store/DateTime.h"

#include <QString>

#include <chrono>
#include <optional>

// Course setting programs put the origin in the middle of the map, so a
// negative position is as real as a positive one. A control without a
// position has no value stored, or -1 for both coordinates: the marker the
// control commands write and older event files hold.
constexpr qint64 MapPositionNotSet = -1;
inline bool MapPositionIsSet(qint64 x, qint64 y)
{
    return !(x == MapPositionNotSet && y == MapPositionNotSet);
}

// What a real map can need, enforced where positions and map settings enter:
// 100 m of map either side of the origin (course setting programs keep theirs
// within a few metres of paper), scales up to 1:1,000,000 and pictures up to
// 10,000 dpi. Within these, distances and pixels stay far from overflow.
constexpr qint64 MapCoordinateLimit = 1'000'000; // map units
constexpr int MapScaleLimit = 1'000'000;
constexpr int MapDpiLimit = 10'000;

// The one reading of a map number typed or stored as text (the settings'
// scale, DPI and start offsets): plain digits, a leading minus only where
// the range takes negatives, nothing else (no "+", blanks or decimals),
// within minimum to maximum.
std::optional<qint64> ReadMapNumber(QStringView text, qint64 minimum, qint64 maximum);

// Distances are worked out in floating point and held to what a qint64
// takes: positions changed by hand in the database cannot overflow them.
qint64 MapDistance(qint64 x1, qint64 y1, qint64 x2, qint64 y2);
// A pixel of a map picture worked out in floating point, truncated; one far
// off the picture stays far off it, so positions changed by hand cannot overflow.
int MapPixel(double value);
// A map without a scale (0) gives no distances: 0.
qint64 MapUnitsToMeters(qint64 mapUnits, qint64 mapScale);
// Kilometres with two decimals, in the regional decimal separator.
QString DistanceText(qint64 mapUnits, qint64 mapScale);
QString DistanceMetersText(qint64 mapUnits, qint64 mapScale);

// The day/night flag (1 daylight, 0 dark) changes only at the crossings of
// sunset and sunrise, so the caller keeps it from punch to punch.
void UpdateDayNight(int &flag, std::chrono::seconds sunset, std::chrono::seconds sunrise, SerialDateTime dateTime);
