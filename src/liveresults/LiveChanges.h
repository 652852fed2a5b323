#pragma once

// What the live results compare to find what another program changed: a
// text per team made of its row, its runners and a hash of its punches,
// and one of the course (controls and extra-point rules). Only reads.

#include <QHash>
#include <QString>

namespace db { class Connection; }

struct TeamState
{
    QString teamClass;
    qint64 number = 0;
    QString text; // changes with the team's row, runners or punches
};

// Every team's state, by team id.
QHash<qint64, TeamState> ReadTeamStates(db::Connection &connection);

// The controls and the extra-point rules, as one text.
QString ReadCourseState(db::Connection &connection);
