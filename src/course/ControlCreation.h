#pragma once

// A numbered run of scoring controls with the start and finish rows, and
// optionally the check-in and check-out rows, added to the control table.

#include "course/ControlRows.h"

#include <vector>

// The numbers a run may use: a code of the control table and a unit number.
constexpr qint64 LowestControlNumber = 0;
constexpr qint64 HighestControlNumber = 99'999;

// Controls from..to (none when to is below from), then S and F, then I and O
// when checkInOut. Raises KorventError for numbers outside the range above.
std::vector<ControlRow> CreatedControlRows(qint64 from, qint64 to, bool unitPlus11, bool checkInOut);

// Adds those rows in one transaction; returns how many were added.
qsizetype CreateControls(TdmData &data, qint64 from, qint64 to, bool unitPlus11, bool checkInOut);
