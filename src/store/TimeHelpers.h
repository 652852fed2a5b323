#pragma once

// Clock texts, durations, results and the chip clock: how every part of the
// program reads and shows times.

#include "store/DateTime.h"

#include <QChar>
#include <QString>

// Hundredths of a second in 12 hours: the chip clock wraps at this value.
inline constexpr qint64 ChipClockWrap = 4'320'000;

// Clock times are kept in 32 bits: almost 5,966 hours.
inline constexpr qint64 MaxClockHundredths = 2'147'483'647;

// Hours of any length, then two-digit minutes and seconds, with an optional
// fraction after `fractionSeparator`; -1 when the text is not a clock text
// or stands for more than MaxClockHundredths.
qint64 ClockTextToHundredths(const QString &text, QChar fractionSeparator);

// h:mm:ss of a duration in seconds; "-" when negative.
QString FormatSeconds(qint64 seconds);

// hh:mm:ss with up to two fraction digits; "-" outside 0 .. 699,999,999.
QString FormatHundredths(qint64 hundredths, int fractionDigits);

// Points, or the TeamStatus text of a negative result.
QString ResultText(qint64 result);

// Whole seconds between two date-times; 0 when either is not set.
qint64 SecondsBetween(SerialDateTime a, SerialDateTime b);

// Moves `time` forward by the fewest 12-hour steps that make it not before
// `reference` and returns the date-time it stands for. The caller keeps the
// updated time as its next reference. `reference` must leave 12 hours of room
// below the largest qint64.
SerialDateTime UnwrapClockTime(qint64 reference, qint64 &time, SerialDateTime referenceDateTime);

// The date in the short date format and a blank when withDate, then the time
// in the long time format.
QString DateTimeText(bool withDate, SerialDateTime dateTime);
// The date alone in the short date format.
QString DateText(SerialDateTime dateTime);

// The current time of day as h:m:s:hundredths without leading zeros.
QString ClockStamp();

// Time codes of other programs' result lists: status × 100,000,000 + hundredths.
QString TimeCodeText(qint64 timeCode, int kind);
