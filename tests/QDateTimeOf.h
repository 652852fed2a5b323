#pragma once

#include "store/DateTime.h"

// The date-time a stored instant stands for, to compare with an expected one.
inline QDateTime qDateTimeOf(SerialDateTime value)
{
    return QDateTime(DateTime::datePart(value), DateTime::timePart(value));
}
