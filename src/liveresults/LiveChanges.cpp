#include "liveresults/LiveChanges.h"

#include "db/Connection.h"

#include <QSqlQuery>
#include <QSqlRecord>

namespace {

QString rowText(const QSqlQuery &query, int first)
{
    QString text;
    const int count = query.record().count();
    for (int i = first; i < count; ++i)
        text += query.value(i).toString() + u'\x1f';
    return text;
}

QString tableText(db::Connection &connection, const QString &sql)
{
    QString text;
    QSqlQuery rows = connection.exec(sql);
    while (rows.next())
        text += rowText(rows, 0) + u'\x1e';
    return text;
}

} // namespace

QHash<qint64, TeamState> ReadTeamStates(db::Connection &connection)
{
    QHash<qint64, TeamState> states;
    QSqlQuery teams = connection.exec(QStringLiteral("SELECT * FROM team"));
    const QSqlRecord columns = teams.record();
    const int id = columns.indexOf(QStringLiteral("id"));
    const int teamClass = columns.indexOf(QStringLiteral("class"));
    const int number = columns.indexOf(QStringLiteral("number"));
    while (teams.next())
        states.insert(teams.value(id).toLongLong(), TeamState{teams.value(teamClass).toString(), teams.value(number).toLongLong(), rowText(teams, 0)});
    // A punch corrected by hand is followed by the team's calculation, which
    // changes its row: counting the punches is enough to see readouts.
    QSqlQuery runners = connection.exec(QStringLiteral("SELECT team_id, firstname, lastname, sex, birthdate, country, started FROM runner ORDER BY team_id, id"));
    while (runners.next())
        if (const auto team = states.find(runners.value(0).toLongLong()); team != states.end())
            team->text += u'\x1e' + rowText(runners, 1);
    QSqlQuery punches = connection.exec(QStringLiteral("SELECT team_id, COUNT(*), MAX(id), SUM(status) FROM res_cp GROUP BY team_id"));
    while (punches.next())
        if (const auto team = states.find(punches.value(0).toLongLong()); team != states.end())
            team->text += u'\x1d' + rowText(punches, 1);
    return states;
}

QString ReadCourseState(db::Connection &connection)
{
    return tableText(connection, QStringLiteral("SELECT * FROM control ORDER BY id"))
        + u'\x1d' + tableText(connection, QStringLiteral("SELECT * FROM extrapoint ORDER BY id"));
}
