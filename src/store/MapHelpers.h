#pragma once

// Control positions are kept in tenths of a millimetre on the map; the map
// scale (a text, as the event settings hold it) turns them into metres.

#include "store/DateTime.h"

#include <QString>

qint64 MapDistance(qint64 x1, qint64 y1, qint64 x2, qint64 y2);
qint64 MapUnitsToMeters(qint64 mapUnits, const QString &mapScale);
// Kilometres with two decimals, in the regional decimal separator.
QString DistanceText(qint64 mapUnits, const QString &mapScale);
QString DistanceMetersText(qint64 mapUnits, const QString &mapScale);

// The day/night flag (1 daylight, 0 dark) changes only at the crossings of
// sunset and sunrise, so the caller keeps it from punch to punch.
void UpdateDayNight(int &flag, const QString &sunsetText, const QString &sunriseText, TDateTime dateTime);
