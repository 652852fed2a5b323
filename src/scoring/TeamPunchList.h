#pragma once

// A team's stored punches turned into its punch list: one entry per counted
// visit of a control, with a worked-out status, in time order.

#include "store/DateTime.h"

#include <QString>
#include <vector>

class CalculationRecorder;

// A punch as stored in res_cp.
struct StoredPunch
{
    qint64 id = 0;
    qint64 runnerId = 0;
    QString code;
    SerialDateTime time = 0;
    int status = 0;
};

struct tControlRes
{
    QString code;
    SerialDateTime time = 0;
    int status = 0;      // worked-out PunchStatus
    qint64 punchId = 0;  // res_cp.id the entry was copied from
    qint64 seconds = 0;  // spread of the team's punches of the visit
    qint64 runnerId = 0; // not set in list entries
};
using tResArray = std::vector<tControlRes>;

// One control code may have this many counted punches per team.
inline constexpr int MaxGroupPunches = 25;
// A punch further than this from the visit's anchor is a new visit.
inline constexpr qint64 VisitGapSeconds = 300;

struct TeamPunchEvaluation
{
    tResArray list;
    SerialDateTime finishTime = 0; // 0 when no complete finish
    bool tooManyPunches = false; // more than MaxGroupPunches at one control: no list
};

// `punches` in index order: by code as text, then time, then id.
// requiredRunners: 1 for a team card, else the team's started runners.
// punchWindow: seconds within which all required runners must punch; -1 = no check.
// recorder, when given, is told every decision as it is made.
TeamPunchEvaluation EvaluateTeamPunches(const std::vector<StoredPunch> &punches, int requiredRunners, int punchWindow,
                                        CalculationRecorder *recorder = nullptr);
