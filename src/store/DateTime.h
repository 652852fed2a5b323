#pragma once

// Stored instants are date-times: days since 1899-12-30 with the time of day
// as the fraction. 0 stands for "not set". The arithmetic of the scoring and
// readout rules is done on this value, so it is kept as it is.

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>
#include <QVariant>

using TDateTime = double;

namespace DateTime {

TDateTime fromDateAndTime(const QDate &date, const QTime &time);
TDateTime fromQDateTime(const QDateTime &dateTime);
QDate datePart(TDateTime value);
// Time of day rounded to the millisecond.
QTime timePart(TDateTime value);
QDateTime toQDateTime(TDateTime value);
TDateTime now();

// Stored form in the event database: "YYYY-MM-DD HH:MM:SS" with ".zzz" when
// the time has milliseconds. Not set (0) is stored as NULL.
QVariant toStored(TDateTime value);
// Reads the stored form (also a plain date "YYYY-MM-DD"); NULL, empty or
// unreadable text gives 0.
TDateTime fromStored(const QVariant &stored);
QString toStorageText(TDateTime value);

} // namespace DateTime
