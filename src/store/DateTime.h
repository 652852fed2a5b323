#pragma once

// Stored instants are serial date-times: days since 1899-12-30 with the time of day
// as the fraction. 0 stands for "not set". The arithmetic of the scoring and
// readout rules is done on this value, so it is kept as it is.

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>
#include <QVariant>

using SerialDateTime = double;

namespace DateTime {

SerialDateTime fromDateAndTime(const QDate &date, const QTime &time);
SerialDateTime fromQDateTime(const QDateTime &dateTime);
QDate datePart(SerialDateTime value);
// Time of day rounded to the millisecond.
QTime timePart(SerialDateTime value);
SerialDateTime now();

// Stored form in the event database: "YYYY-MM-DD HH:MM:SS" with ".zzz" when
// the time has milliseconds. Not set (0) is stored as NULL.
QVariant toStored(SerialDateTime value);
// Reads the stored form (also a plain date "YYYY-MM-DD"); NULL, empty or
// unreadable text gives 0.
SerialDateTime fromStored(const QVariant &stored);
QString toStorageText(SerialDateTime value);

} // namespace DateTime
