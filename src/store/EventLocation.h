#pragma once

// Where the event the program works on lives, settled at start-up and fixed
// from then on, and the program's check settings read with it.

#include "base/ProgramFiles.h"

#include <QString>

struct EventLocation
{
    ProgramFiles program;      // the program's own files
    QString eventDirectory;    // with a trailing separator
    QString resultsDirectory;  // eventDirectory + "results/"
    bool confirmed = false;    // from the command line or the start window's OK
    int teamsMinTimeWindow = 60;
    int teamsTogetherControls = 15;
};
