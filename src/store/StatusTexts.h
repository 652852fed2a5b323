#pragma once

#include <QString>

// Codes of res_cp.status.
enum PunchStatus {
    PunchOK = 1, PunchMan = 2, PunchOverInterval = 3, PunchMissing = 4, PunchDQ = 5,
    PunchDouble = 7, PunchReadOK = 8, PunchUnknown = 9,
};

// Codes of team.status; a negative team.result holds one of them.
enum TeamStatus {
    TeamOK = 1, TeamLate = 2, TeamOB = 3, TeamWithdrawn = 4, TeamDSQ = 5,
    TeamDNS = 6, TeamNoResult = 7, TeamStarted = 8, TeamNew = 9,
};

// Display texts (translatable). A punch code without a text shows empty;
// a team code without a text shows "NA".
QString PunchStatusText(qint64 code);
QString TeamStatusText(qint64 code);
