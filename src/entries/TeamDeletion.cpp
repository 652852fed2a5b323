#include "entries/TeamDeletion.h"

#include "db/Connection.h"

void DeleteRunnersOfTeams(db::Connection &connection, const QVariantList &teamIds)
{
    QSqlQuery deleteRunners = connection.prepare(QStringLiteral("DELETE FROM runner WHERE team_id=?"));
    for (const QVariant &id : teamIds)
        connection.exec(deleteRunners, {id});
}
