#pragma once

// What the team calculation decides, told as it decides it. The calculation
// calls a recorder (when it is given one) at each decision, so that an
// explanation of a result is taken from the one evaluation that makes it.

#include "scoring/OvertimePenalty.h"
#include "scoring/TeamPunchList.h"

#include "store/ClassTable.h"

struct TControlPoint;
struct TeamRow;

// The rule that decided about one punch of a control's group.
enum class PunchRule {
    NotAllRunners,    // fewer runners than required punched the control: MP
    SetByHand,        // the group's first punch is stored as Man or DQ
    LatestPunch,      // no punch window to check (or one runner): the latest punch counts
    EarlierVisit,     // more than the visit gap before a counted visit: Double
    SameVisit,        // within the visit gap of a listed punch: not listed
    WindowKept,       // all required runners within the punch window: OK
    WindowMissed,     // all required runners, but further apart than the window: OverInt.
    WindowAgain,      // all required runners again after the visit that counted: Double
    NoWindow,         // the last punch closes no complete window: OverInt.
    OutsideWindows,   // in no complete window, and not the group's last punch: takes no part
    FinishComplete,   // exactly the required runners punched the finish: OK
    FinishIncomplete, // other than the required number of runners at the finish: OverInt.
    OtherCode,        // a code that is not a scoring control: listed as OK
    OtherCodeAgain,   // ... a later visit of it, more than the visit gap on
};

struct PunchDecision
{
    PunchRule rule;
    const StoredPunch &punch;             // the punch decided about
    const tControlRes *entry = nullptr;   // the list entry it made; nullptr when it made none
    int runners = 0;                      // different runners among the punches weighed
    int required = 0;                     // runners the team needs at a control
    int window = -1;                      // the punch window in seconds; -1: not checked
    const StoredPunch *other = nullptr;   // the window's first punch, or the visit the punch belongs to
};

// Why the team gets no result (nothing but perhaps NARes. is written).
enum class NoResultReason { NoFinish, NoPoints, ClassMissing, TooManyPunches };

struct ResultDecision
{
    qint64 points = 0;
    SerialDateTime finishTime = 0;
    qint64 runningTime = 0; // hundredths
    TClassInfo teamClass;
    int penaltySeconds = 0;
    int penaltyPoints = 0;
    Overtime overtime;
    int computedStatus = 0;
    int statusBefore = 0;
    int status = 0;          // the status written: the computed one, or one set by hand
    qint64 result = 0;
    qint64 inCenter = 0;
};

// What a call is given (punches, entries, lists) is good for the call only.
class CalculationRecorder
{
public:
    virtual ~CalculationRecorder() = default;

    // The team as read: its punches in index order, the runners a control
    // needs and the punch window (seconds; -1: not checked).
    virtual void teamRead(const TeamRow &team, const std::vector<StoredPunch> &punches, int requiredRunners, bool cardPerTeam,
                          int punchWindow) = 0;
    // A runner's punch right after the same runner's at the same control: only the earlier counts.
    virtual void repeatSkipped(const StoredPunch &punch) = 0;
    // A punch stored as unknown ("?"): it takes no part.
    virtual void unknownSkipped(const StoredPunch &punch) = 0;
    // More punches at one control than the calculation takes.
    virtual void tooManyPunches(const QString &code, int limit) = 0;
    virtual void punchDecided(const PunchDecision &decision) = 0;
    // The group of a control was not weighed: the team needs no runner at all (none started).
    virtual void groupIgnored(const QString &code) = 0;
    // The list as it stands sorted by time.
    virtual void listMade(const tResArray &list) = 0;
    // One entry of the list counted: control points (counted only for OK and
    // Man), the extra points of the pair previousCode > code, time in the centre.
    virtual void entryCounted(const tControlRes &entry, const TControlPoint *control, bool scores,
                              const QString &previousCode, qint64 extraPoints, qint64 inCenterSeconds) = 0;
    // No full result; statusAfter is the status left on the team row.
    virtual void noResult(NoResultReason reason, int statusBefore, int statusAfter) = 0;
    virtual void resultMade(const ResultDecision &decision) = 0;
};
