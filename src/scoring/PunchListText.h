#pragma once

#include "scoring/TeamPunchList.h"

#include <QStringList>

// The punch list as text lines: number, code, date and time, spread, status code.
QStringList PunchListLines(const tResArray &list);
