#pragma once

// The one conversion between the values the event database stores and Qt
// values, for the grids, the spreadsheet export, the store and the tests.
// Date-times are stored as text "YYYY-MM-DD HH:MM:SS" with ".zzz" when the
// time has milliseconds; an empty text is stored as NULL.

#include <QDateTime>
#include <QString>
#include <QVariant>

#include <optional>

namespace db {

// The NULL of a text column.
QVariant NullText();
// `text`, or NULL when it is empty.
QVariant StoredText(const QString &text);

// The text a stored value shows: empty for NULL, as SQLite gives it. A
// server's driver gives a NULL number whose text would be "0".
QString StoredValueText(const QVariant &stored);

// Whether a stored date-time is set: it is text, not empty. NULL, empty text
// and 0 (stored by other programs for "not set", as a number or as text) are not set.
// StoredTimeIsSetSql is the same rule as an SQL condition on a column.
bool StoredTimeIsSet(const QVariant &stored);
QString StoredTimeIsSetSql(const QString &column);

// Reads a stored date-time, leading and trailing blanks ignored, in any of
// the forms the database holds: "YYYY-MM-DD HH:MM:SS" with one to three
// fraction digits after a ".", without them, "YYYY-MM-DD HH:MM" (written by
// hand or by other programs) and a plain date "YYYY-MM-DD" (at midnight).
// Nothing for anything else, a date or time that does not exist included.
std::optional<QDateTime> ReadStoredDateTime(QStringView text);
// The stored form of a date and a time of day, as the clock reads them (no
// time zone involved: a time in a summer-time gap stays as it is).
QString StoredDateTimeText(const QDate &date, const QTime &time);
QString StoredDateTimeText(const QDateTime &value);

} // namespace db
