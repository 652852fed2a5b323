#include "scoring/UnlistedMembers.h"

#include "base/CountText.h"
#include "base/MessageSink.h"
#include "db/Connection.h"
#include "db/StoredValue.h"

#include <QCoreApplication>

int CountResultTeamsWithoutStartedRunner(db::Connection &connection, const QStringList &classes)
{
    QString sql = QStringLiteral("SELECT COUNT(*) FROM team t WHERE %1 "
                                 "AND NOT EXISTS (SELECT 1 FROM runner r WHERE r.team_id = t.id AND r.started = 1)")
                      .arg(db::StoredTimeIsSetSql(QStringLiteral("t.calctime")));
    QVariantList values;
    if (!classes.isEmpty()) {
        sql += QStringLiteral(" AND t.class IN (") + QStringList(classes.size(), QStringLiteral("?")).join(u',') + u')';
        for (const QString &name : classes)
            values.append(name);
    }
    return connection.scalar(sql, values).toInt();
}

void WarnResultTeamsWithoutStartedRunner(db::Connection &connection, MessageSink &messages, const QStringList &classes)
{
    const int teams = CountResultTeamsWithoutStartedRunner(connection, classes);
    if (teams == 0)
        return;
    const QString mend = messages.front() == MessageSink::Front::CommandLine
        ? QCoreApplication::translate("UnlistedMembers", "Mark the runners started: korvent-cli teams mark-started --read-out | --all")
        : QCoreApplication::translate("UnlistedMembers",
                                      "Mark the runners started: Tools menu, \"Mark read-out runners started\" or \"Mark all runners started\"");
    messages.warning(CountText("UnlistedMembers", "%n team in the results has no started runner: its members are not listed. ",
                               "%n teams in the results have no started runner: their members are not listed. ", teams)
                     + mend);
}
