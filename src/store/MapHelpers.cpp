#include "store/MapHelpers.h"

#include "base/Platform.h"
#include "store/TextHelpers.h"
#include "store/TimeHelpers.h"

#include <cmath>

qint64 MapDistance(qint64 x1, qint64 y1, qint64 x2, qint64 y2)
{
    const qint64 dx = x1 - x2;
    const qint64 dy = y1 - y2;
    const qint64 square = dx * dx + dy * dy;
    // Integer square root, truncated; the double estimate is corrected exactly.
    qint64 root = static_cast<qint64>(std::sqrt(static_cast<double>(square)));
    while (root * root > square)
        --root;
    while ((root + 1) * (root + 1) <= square)
        ++root;
    return root;
}

qint64 MapUnitsToMeters(qint64 mapUnits, const QString &mapScale)
{
    const qint64 scale = LeadingNumber(mapScale);
    if (scale <= 0 || mapUnits <= 0)
        return 0;
    return mapUnits * scale / 10'000;
}

QString DistanceText(qint64 mapUnits, const QString &mapScale)
{
    QString text = QString::number(MapUnitsToMeters(mapUnits, mapScale) / 1000.0, 'f', 2);
    text.replace(QLatin1Char('.'), Platform::decimalSeparator());
    return text;
}

QString DistanceMetersText(qint64 mapUnits, const QString &mapScale)
{
    return QString::number(MapUnitsToMeters(mapUnits, mapScale));
}

void UpdateDayNight(int &flag, const QString &sunsetText, const QString &sunriseText, TDateTime dateTime)
{
    const double fraction = dateTime - std::floor(dateTime);
    qint64 t = static_cast<qint64>(fraction * 86'400.0);
    const qint64 sunset = ClockTextToHundredths(sunsetText, QLatin1Char(',')) / 100;
    const qint64 sunrise = ClockTextToHundredths(sunriseText, QLatin1Char(',')) / 100;
    if (flag == 1) {
        if (sunrise > t)
            t += 86'400;
        if (sunset < t)
            flag = 0;
    } else {
        if (sunset > t)
            t += 86'400;
        if (t > sunrise + 86'400)
            flag = 1;
    }
}
