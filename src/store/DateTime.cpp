#include "DateTime.h"

#include <cmath>

namespace DateTime {

namespace {
const QDate origin(1899, 12, 30);
constexpr qint64 msPerDay = 86'400'000;

struct DayAndMs
{
    qint64 day;
    qint64 ms;
};

DayAndMs split(TDateTime value)
{
    qint64 day = static_cast<qint64>(std::floor(value));
    qint64 ms = std::llround((value - static_cast<double>(day)) * msPerDay);
    if (ms >= msPerDay) {
        ++day;
        ms -= msPerDay;
    }
    return {day, ms};
}
} // namespace

TDateTime fromDateAndTime(const QDate &date, const QTime &time)
{
    const double days = static_cast<double>(origin.daysTo(date));
    const double ms = time.isValid() ? time.msecsSinceStartOfDay() : 0;
    return days + ms / msPerDay;
}

TDateTime fromQDateTime(const QDateTime &dateTime)
{
    return fromDateAndTime(dateTime.date(), dateTime.time());
}

QDate datePart(TDateTime value)
{
    return origin.addDays(split(value).day);
}

QTime timePart(TDateTime value)
{
    return QTime::fromMSecsSinceStartOfDay(static_cast<int>(split(value).ms));
}

QDateTime toQDateTime(TDateTime value)
{
    return QDateTime(datePart(value), timePart(value));
}

TDateTime now()
{
    return fromQDateTime(QDateTime::currentDateTime());
}

QString toStorageText(TDateTime value)
{
    const QTime time = timePart(value);
    const QString format = time.msec() ? QStringLiteral("HH:mm:ss.zzz") : QStringLiteral("HH:mm:ss");
    return datePart(value).toString(Qt::ISODate) + QLatin1Char(' ') + time.toString(format);
}

QVariant toStored(TDateTime value)
{
    if (value == 0)
        return QVariant(QMetaType::fromType<QString>());
    return toStorageText(value);
}

TDateTime fromStored(const QVariant &stored)
{
    if (stored.isNull())
        return 0;
    const QString text = stored.toString().trimmed();
    if (text.isEmpty())
        return 0;
    const QDate date = QDate::fromString(text.left(10), Qt::ISODate);
    if (!date.isValid())
        return 0;
    if (text.size() <= 10)
        return fromDateAndTime(date, QTime(0, 0));
    const QString timeText = text.mid(11);
    QTime time = QTime::fromString(timeText, QStringLiteral("HH:mm:ss.z"));
    if (!time.isValid())
        time = QTime::fromString(timeText, QStringLiteral("HH:mm:ss"));
    if (!time.isValid())
        return 0;
    return fromDateAndTime(date, time);
}

} // namespace DateTime
