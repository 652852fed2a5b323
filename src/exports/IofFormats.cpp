#include "exports/IofFormats.h"

QString IsoDateTimeText(SerialDateTime dateTime)
{
    return IsoDateText(DateTime::datePart(dateTime)) + u'T' + DateTime::timePart(dateTime).toString(QStringLiteral("HH:mm:ss"));
}

QString IsoDateText(const QDate &date)
{
    return date.toString(QStringLiteral("yyyy-MM-dd"));
}

QString UtcOffsetText(int offsetSeconds)
{
    const int minutes = (offsetSeconds < 0 ? -offsetSeconds : offsetSeconds) / 60;
    return (offsetSeconds < 0 ? u'-' : u'+') + QStringLiteral("%1:%2").arg(minutes / 60, 2, 10, QLatin1Char('0')).arg(minutes % 60, 2, 10, QLatin1Char('0'));
}
