#pragma once

// The control list as printed: one fixed-width line per control, in the
// order of the control codes as text.

#include "course/ControlRows.h"

#include <QStringList>

namespace db { class Connection; }

// Code in 5 characters, unit number in 4, points in 3, type in 1, each
// position in 4 (all right-aligned; wider values take more room) and the
// label, separated by single blanks.
QString ControlListLine(const ControlRow &row);

// Every row of the control table; an empty field reads as 0 or empty text.
QStringList ControlListLines(db::Connection &connection);

// The title of the printed list.
QString ControlListTitle();
