#pragma once

// What the IOF XML result lists read: the classes of the class tree, the
// calculated teams of a class, their runners and punch lists.

#include "scoring/TeamPunchList.h"
#include "store/ClassTable.h"
#include "store/TeamRow.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

class MessageSink;
class TeamCalculation;
namespace db { class Connection; }

struct IofRunnerRow
{
    QString firstname, lastname, club, country, sex, chipnr;
};

// The class entries in the tree's order. A main class (marked "<*>") is an
// entry under its name only when teams stand in it, so events whose teams
// all stand in sub-classes keep their files as they were.
QStringList IofClassNames(const ClassTree &tree, db::Connection &connection);

// The teams of the class calculated at least once, by id.
std::vector<TeamRow> CalculatedTeamsOfClass(db::Connection &connection, const QString &className);

// The team's runners by id.
std::vector<IofRunnerRow> RunnersOfTeam(db::Connection &connection, qint64 teamId);

// The team's punch list from the calculation in list-only mode; nullopt when
// the calculation gives no valid list. The calculation finds teams by number:
// a team without one gets no list, and a team that shares its number with an
// earlier one gets none either (reported as a warning), never the other team's.
std::optional<tResArray> IofPunchList(TeamCalculation &calculation, db::Connection &connection, const TeamRow &team,
                                      MessageSink &messages);
