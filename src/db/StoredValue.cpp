#include "db/StoredValue.h"

namespace db {

QVariant NullText()
{
    return QVariant(QMetaType::fromType<QString>());
}

QVariant StoredText(const QString &text)
{
    return text.isEmpty() ? NullText() : QVariant(text);
}

QString StoredValueText(const QVariant &stored)
{
    return stored.isNull() ? QString() : stored.toString();
}

bool StoredTimeIsSet(const QVariant &stored)
{
    if (stored.typeId() != QMetaType::QString || stored.isNull())
        return false;
    const QString &text = *static_cast<const QString *>(stored.constData());
    return !text.isEmpty() && text != u'0';
}

QString StoredTimeIsSetSql(const QString &column)
{
    // In an SQLite date-time column a number sorts below every text, and so
    // below ''; a server's text column holds the 0 of other programs as "0".
    return u'(' + column + QStringLiteral(" > '' AND ") + column + QStringLiteral(" <> '0')");
}

std::optional<QDateTime> ReadStoredDateTime(QStringView text)
{
    text = text.trimmed();
    const QDate date = QDate::fromString(text.left(10), Qt::ISODate);
    if (text.size() < 10 || !date.isValid())
        return std::nullopt;
    if (text.size() == 10)
        return QDateTime(date, QTime(0, 0));
    if (text.at(10) != u' ')
        return std::nullopt;
    const QStringView clock = text.sliced(11);
    QTime time;
    if (clock.size() == 5)
        time = QTime::fromString(clock.toString(), QStringLiteral("HH:mm"));
    else if (clock.size() == 8)
        time = QTime::fromString(clock.toString(), QStringLiteral("HH:mm:ss"));
    else if (clock.size() >= 10 && clock.size() <= 12 && clock.at(8) == u'.')
        time = QTime::fromString(clock.toString(), QStringLiteral("HH:mm:ss.z"));
    if (!time.isValid())
        return std::nullopt;
    return QDateTime(date, time);
}

QString StoredDateTimeText(const QDate &date, const QTime &time)
{
    return date.toString(Qt::ISODate) + u' ' + time.toString(time.msec() ? QStringLiteral("HH:mm:ss.zzz") : QStringLiteral("HH:mm:ss"));
}

QString StoredDateTimeText(const QDateTime &value)
{
    return StoredDateTimeText(value.date(), value.time());
}

} // namespace db
