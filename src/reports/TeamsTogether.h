#pragma once

// Teams that punched the same controls at nearly the same time: a pair line
// for every control two teams punched within the time window, and a line for
// every pair of teams that did so at enough controls.

#include "store/DateTime.h"

#include <QString>
#include <QStringList>
#include <vector>

struct tTeamTimeCheck
{
    qint64 number = 0;
    QString code;
    SerialDateTime time = 0;
};

struct TeamsTogether
{
    QStringList pairLines;  // "%4d %4d %5s": smaller number, larger number, control; sorted
    QStringList groupLines; // the two numbers + " x" + how many controls
};

// minTimeWindow: seconds within which two punches count as together;
// togetherControls: controls together that make a pair worth listing.
TeamsTogether CheckTeamsTogether(std::vector<tTeamTimeCheck> records, int minTimeWindow, int togetherControls);
