#include "store/DateTime.h"

#include "db/StoredValue.h"

#include <cmath>
#include <optional>

namespace DateTime {

namespace {
const QDate origin(1899, 12, 30);
constexpr qint64 msPerDay = 86'400'000;

struct DayAndMs
{
    qint64 day;
    qint64 ms;
};

DayAndMs split(SerialDateTime value)
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

SerialDateTime fromDateAndTime(const QDate &date, const QTime &time)
{
    const double days = static_cast<double>(origin.daysTo(date));
    const double ms = time.isValid() ? time.msecsSinceStartOfDay() : 0;
    return days + ms / msPerDay;
}

SerialDateTime fromQDateTime(const QDateTime &dateTime)
{
    return fromDateAndTime(dateTime.date(), dateTime.time());
}

QDate datePart(SerialDateTime value)
{
    return origin.addDays(split(value).day);
}

QTime timePart(SerialDateTime value)
{
    return QTime::fromMSecsSinceStartOfDay(static_cast<int>(split(value).ms));
}

SerialDateTime now()
{
    return fromQDateTime(QDateTime::currentDateTime());
}

QString toStorageText(SerialDateTime value)
{
    return db::StoredDateTimeText(datePart(value), timePart(value));
}

QVariant toStored(SerialDateTime value)
{
    if (value == 0)
        return db::NullText();
    return toStorageText(value);
}

namespace {

// Reads "YYYY-MM-DD HH:MM:SS[.f]" digit by digit: punches are read by the
// hundred thousand and QDateTime parsing would dominate the calculation.
std::optional<SerialDateTime> parseCanonical(QStringView text)
{
    if (text.size() != 19 && !(text.size() > 20 && text.size() <= 23 && text.at(19) == u'.'))
        return std::nullopt;
    auto digits = [&](int from, int count, int &value) {
        value = 0;
        for (int i = from; i < from + count; ++i) {
            const char16_t c = text.at(i).unicode();
            if (c < u'0' || c > u'9')
                return false;
            value = value * 10 + (c - u'0');
        }
        return true;
    };
    int year, month, day, hour, minute, second, fraction = 0;
    if (!digits(0, 4, year) || text.at(4) != u'-' || !digits(5, 2, month) || text.at(7) != u'-' || !digits(8, 2, day)
        || text.at(10) != u' ' || !digits(11, 2, hour) || text.at(13) != u':' || !digits(14, 2, minute)
        || text.at(16) != u':' || !digits(17, 2, second))
        return std::nullopt;
    int ms = 0;
    if (text.size() > 20) {
        const int fractionDigits = static_cast<int>(text.size()) - 20;
        if (!digits(20, fractionDigits, fraction))
            return std::nullopt;
        ms = fraction * (fractionDigits == 1 ? 100 : fractionDigits == 2 ? 10 : 1);
    }
    const QDate date(year, month, day);
    if (!date.isValid() || hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    return static_cast<double>(origin.daysTo(date)) + (((hour * 60 + minute) * 60 + second) * 1000.0 + ms) / msPerDay;
}

} // namespace

SerialDateTime fromStored(const QVariant &stored)
{
    if (stored.isNull())
        return 0;
    if (stored.typeId() == QMetaType::QString) {
        if (const std::optional<SerialDateTime> value = parseCanonical(QStringView(*static_cast<const QString *>(stored.constData()))))
            return *value;
    }
    const std::optional<QDateTime> value = db::ReadStoredDateTime(stored.toString());
    return value ? fromDateAndTime(value->date(), value->time()) : 0;
}

} // namespace DateTime
