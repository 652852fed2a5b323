#include "db/CommitFlushing.h"

#include "db/Connection.h"

#include <QHash>

namespace db {

qint64 CommittedChangesMark(Connection &connection)
{
    if (connection.engine() == Engine::SQLite)
        return connection.scalar(QStringLiteral("PRAGMA data_version")).toLongLong();
    // The snapshot "xmin:xmax:running" names the oldest transaction still
    // running, the next to start and those running: a commit since either
    // moved the next or left the running (the oldest is the least of those
    // and tells nothing more).
    // The next moves on by one for each transaction id this connection took
    // itself; those are taken off, so that a long writer's own commits leave
    // the mark as it was.
    const QStringList parts = connection.scalar(QStringLiteral("SELECT pg_current_snapshot()::text")).toString().split(u':');
    if (parts.size() != 3)
        return static_cast<qint64>(qHash(parts.join(u':')));
    const qint64 othersNext = parts[1].toLongLong() - connection.ownTransactionIds();
    return static_cast<qint64>(qHash(QString::number(othersNext) + u':' + parts[2]));
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
