#include "store/MapHelpers.h"

#include "base/Platform.h"

#include <QtNumeric>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Whole numbers up to 2^53 are exact in a double.
constexpr double exactLimit = 9'007'199'254'740'992.0;

qint64 truncated(double value)
{
    if (!(value < 9'223'372'036'854'775'807.0))
        return std::numeric_limits<qint64>::max();
    return static_cast<qint64>(value);
}

} // namespace

std::optional<qint64> ReadMapNumber(QStringView text, qint64 minimum, qint64 maximum)
{
    // "15000.0" is a whole number too: older course imports stored the file's text as it stood.
    if (const qsizetype point = text.indexOf(u'.'); point > 0 && point + 1 < text.size()
        && std::all_of(text.begin() + point + 1, text.end(), [](QChar c) { return c == u'0'; }))
        text = text.first(point);
    const QStringView digits = minimum < 0 && text.startsWith(u'-') ? text.sliced(1) : text;
    // More digits than any bound has cannot be within it, and would overflow.
    if (digits.isEmpty() || digits.size() > 18
        || !std::all_of(digits.begin(), digits.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return std::nullopt;
    const qint64 value = digits.toLongLong() * (digits.size() < text.size() ? -1 : 1);
    if (value < minimum || value > maximum)
        return std::nullopt;
    return value;
}

qint64 MapDistance(qint64 x1, qint64 y1, qint64 x2, qint64 y2)
{
    const double dx = static_cast<double>(x1) - static_cast<double>(x2);
    const double dy = static_cast<double>(y1) - static_cast<double>(y2);
    const double square = dx * dx + dy * dy;
    qint64 root = truncated(std::sqrt(square));
    // Within exact range the rounded root is corrected to the truncated one.
    if (square < exactLimit) {
        const qint64 exact = static_cast<qint64>(square);
        if (root * root > exact)
            --root;
        else if ((root + 1) * (root + 1) <= exact)
            ++root;
    }
    return root;
}

int MapPixel(double value)
{
    return static_cast<int>(std::clamp(value, -1e9, 1e9));
}

qint64 MapUnitsToMeters(qint64 mapUnits, qint64 scale)
{
    if (scale <= 0 || mapUnits <= 0)
        return 0;
    qint64 product = 0;
    if (!qMulOverflow(mapUnits, scale, &product))
        return product / 10'000;
    return truncated(static_cast<double>(mapUnits) * static_cast<double>(scale) / 10'000.0);
}

QString DistanceText(qint64 mapUnits, qint64 mapScale)
{
    QString text = QString::number(MapUnitsToMeters(mapUnits, mapScale) / 1000.0, 'f', 2);
    text.replace(QLatin1Char('.'), Platform::decimalSeparator());
    return text;
}

QString DistanceMetersText(qint64 mapUnits, qint64 mapScale)
{
    return QString::number(MapUnitsToMeters(mapUnits, mapScale));
}

void UpdateDayNight(int &flag, std::chrono::seconds sunsetTime, std::chrono::seconds sunriseTime, SerialDateTime dateTime)
{
    const double fraction = dateTime - std::floor(dateTime);
    qint64 t = static_cast<qint64>(fraction * 86'400.0);
    const qint64 sunset = sunsetTime.count();
    const qint64 sunrise = sunriseTime.count();
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
