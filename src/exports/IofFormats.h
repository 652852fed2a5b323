#pragma once

// Date, time and offset texts of the IOF XML 3.0 result list (ISO 8601).

#include "store/DateTime.h"

#include <QDate>
#include <QString>

// YYYY-MM-DDThh:mm:ss, no fraction and no offset; 0 (not set) gives 1899-12-30T00:00:00.
QString IsoDateTimeText(SerialDateTime dateTime);
// YYYY-MM-DD.
QString IsoDateText(const QDate &date);
// "+hh:mm" or "-hh:mm" for an offset east of UTC in seconds.
QString UtcOffsetText(int offsetSeconds);
