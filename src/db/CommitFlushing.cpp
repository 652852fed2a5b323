#include "db/CommitFlushing.h"

#include "db/Connection.h"

#include <QHash>

namespace db {

qint64 CommittedChangesMark(Connection &connection)
{
    if (connection.engine() == Engine::SQLite)
        return connection.scalar(QStringLiteral("PRAGMA data_version")).toLongLong();
    // The snapshot names the next transaction and those still running: a
    // commit since either moved the one or left the others.
    return static_cast<qint64>(qHash(connection.scalar(QStringLiteral("SELECT pg_current_snapshot()::text")).toString()));
}

void FlushEachCommit(Connection &connection, bool flush)
{
    if (connection.engine() == Engine::PostgreSQL) {
        connection.exec(flush ? QStringLiteral("SET synchronous_commit TO on") : QStringLiteral("SET synchronous_commit TO off"));
        return;
    }
    connection.exec(flush ? QStringLiteral("PRAGMA synchronous=FULL") : QStringLiteral("PRAGMA synchronous=NORMAL"));
    if (flush)
        connection.firstRow(QStringLiteral("PRAGMA wal_checkpoint(PASSIVE)"));
}

} // namespace db
