#pragma once

// Why a team has its result: for every control code its runners punched, in
// the order of the punch list, who punched it and when, the rule that gave
// it its status, its points and the extra points of a pair; then the totals,
// the time against the class's time, the penalty, the result and the status
// with the rule that set it. Taken from the calculation's own decisions as it
// makes them, in sentences an organiser can read out to the team.

#include "store/TeamRow.h"

#include <QStringList>
#include <memory>

class TdmData;
class TeamCalculation;
struct EventSetup;
namespace db { class Connection; }

struct TeamExplanation
{
    QStringList lines;
    // What the explanation arrives at: as CalculateTeam storing would write it.
    bool fullResult = false;
    qint64 points = 0;
    qint64 penalty = 0;
    qint64 result = 0;
    int status = 0; // the status the team has afterwards
};

// Who reads the lines: the secretariat is told what the team row holds when
// it differs; a team's own page shows the stored result, and gets no lines
// that would contradict it.
enum class ExplanationReader { Secretariat, Team };

// The team with this number, the first of several as the calculation finds
// it, on the course the calculation loaded last. log: the edit log, newest
// line first. Raises KorventError when no team has the number.
TeamExplanation ExplainTeamResult(TeamCalculation &calculation, db::Connection &connection, const QStringList &log, qint64 number,
                                  ExplanationReader reader = ExplanationReader::Secretariat);

// The same on the course and the edit log as they are now; an edit log that
// cannot be read leaves a line saying so.
TeamExplanation ExplainTeamResult(TdmData &data, std::shared_ptr<const EventSetup> setup, const QString &eventDirectory, qint64 number);

// The team of this row: a team without a number, or one whose number an
// earlier team holds, is not calculated, and the lines say so.
TeamExplanation ExplainTeamRow(TdmData &data, std::shared_ptr<const EventSetup> setup, const QString &eventDirectory, qint64 teamId);
