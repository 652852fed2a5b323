#pragma once

// The time rule of a class: finishing after the maximum time costs penalty
// points for every started span of seconds; finishing after the maximum
// time plus the penalty time makes the team late, with no penalty then.

#include "store/ClassTable.h"

struct Overtime
{
    bool late = false;   // beyond maximum time plus penalty time
    qint64 spans = 0;    // started penalty spans beyond the maximum time; 0 when late
    qint64 penalty = 0;  // spans × penalty points: zero or negative; 0 when late
};

// runningTime in hundredths; penaltyPoints per started span of penaltySeconds.
// Raises KorventError when a penalty is due and penaltySeconds is not positive.
Overtime OvertimePenalty(qint64 runningTime, const TClassInfo &classInfo, int penaltySeconds, int penaltyPoints);
