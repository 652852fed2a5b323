#pragma once

#include <QString>

// The IOF word for a TeamStatus code ("OK", "OverTime", ... "Inactive");
// empty for a code without one.
QString IofStatusWord(qint64 teamStatus);
