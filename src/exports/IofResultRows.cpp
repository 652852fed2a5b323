#include "exports/IofResultRows.h"

#include "scoring/TeamCalculation.h"

#include "base/MessageSink.h"
#include "db/Connection.h"
#include "db/StoredValue.h"
#include "store/TextHelpers.h"

#include <QCoreApplication>
#include <QSqlQuery>

namespace {

// Teams calculated at least once, of the class bound as the first parameter.
const QString calculatedTeamsOfClass = QStringLiteral(" FROM team WHERE class=? AND ") + db::StoredTimeIsSetSql(QStringLiteral("calctime"));

} // namespace

QStringList IofClassNames(const ClassTree &tree, db::Connection &connection)
{
    QStringList names;
    for (const ClassNode &node : tree) {
        if (!IsMainClassNode(node.text)) {
            names.append(node.text);
            continue;
        }
        const QString name = TextBefore(u'<', node.text);
        if (connection.scalar(QStringLiteral("SELECT count(*)") + calculatedTeamsOfClass, {name}).toLongLong() > 0)
            names.append(name);
    }
    return names;
}

std::vector<TeamRow> CalculatedTeamsOfClass(db::Connection &connection, const QString &className)
{
    QSqlQuery rows = connection.exec(QStringLiteral("SELECT id, number, name, club, country, start, finis, points, penalty, result, rtime, status")
                                         + calculatedTeamsOfClass + QStringLiteral(" ORDER BY id"), {className});
    const TeamRowReader reader(rows);
    std::vector<TeamRow> teams;
    while (rows.next())
        teams.push_back(reader.read(rows));
    return teams;
}

std::vector<IofRunnerRow> RunnersOfTeam(db::Connection &connection, qint64 teamId)
{
    QSqlQuery rows = connection.exec(QStringLiteral(
        "SELECT firstname, lastname, club, country, sex, chipnr FROM runner WHERE team_id=? ORDER BY id"), {teamId});
    std::vector<IofRunnerRow> runners;
    while (rows.next())
        runners.push_back({rows.value(0).toString(), rows.value(1).toString(), rows.value(2).toString(), rows.value(3).toString(),
                           rows.value(4).toString(), rows.value(5).toString()});
    return runners;
}

std::optional<tResArray> IofPunchList(TeamCalculation &calculation, db::Connection &connection, const TeamRow &team,
                                      MessageSink &messages)
{
    if (!team.numbered)
        return std::nullopt;
    if (FirstTeamNumbered(connection, team.number) != team.id) {
        messages.warning(QCoreApplication::translate("IofExport", "Team \"%1\" shares the number %2 with another team; its splits are left out")
                             .arg(team.name)
                             .arg(team.number));
        return std::nullopt;
    }
    tResArray list;
    if (!calculation.CalculateTeam(team.number, false, list))
        return std::nullopt;
    return list;
}
