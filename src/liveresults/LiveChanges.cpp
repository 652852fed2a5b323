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

// A punch changed by hand (a status, a time) need not change its team's row:
// each team's punches are summed up so that any change of any row shows.
// Here a sum over the rows of a product of two mixes of each row's columns:
// a swap of two statuses or a moved time changes it as surely as a new
// punch. The second factor is never zero, so that any change of the first
// (below 2^31: a time moved by less than 68 years) shows. Sums of numbers:
// a text of every row read three times as long.
QString sqlitePunchSums()
{
    return QStringLiteral(
        "SELECT team_id, COUNT(*), MAX(id), SUM((ifnull(CAST(round((julianday(ctime)-2400000)*86400) AS INTEGER), 0) + id*1000003 "
        "+ status*7919 + ifnull(runner_id, 0)*104729 + ifnull(count, 0)*131 "
        "+ ifnull(CAST(KP AS INTEGER)*65537 + unicode(KP)*257 + unicode(substr(KP, -1)), 0)) % 2147483647 "
        "* ((id*31 + status) % 65521 + 1)) FROM res_cp GROUP BY team_id");
}

// The server hashes each team's rows as texts.
QString postgresPunchSums()
{
    return QStringLiteral("SELECT team_id, md5(string_agg(res_cp::text, ',' ORDER BY id)) FROM res_cp GROUP BY team_id");
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
    QSqlQuery runners = connection.exec(QStringLiteral("SELECT team_id, firstname, lastname, sex, birthdate, country, started FROM runner ORDER BY team_id, id"));
    while (runners.next())
        if (const auto team = states.find(runners.value(0).toLongLong()); team != states.end())
            team->text += u'\x1e' + rowText(runners, 1);
    QSqlQuery punches = connection.exec(connection.engine() == db::Engine::SQLite ? sqlitePunchSums() : postgresPunchSums());
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
