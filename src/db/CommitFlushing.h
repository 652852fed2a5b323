#pragma once

// What a long writer that commits in batches (the calculation of all teams)
// asks of the engine: whether anyone committed since it read, and leaving
// the flush of each commit to the end of its run.

#include <QtGlobal>

namespace db {

class Connection;

// A mark that differs from an earlier one when another connection committed
// since (SQLite: data_version; PostgreSQL: the server's snapshot of
// transactions, less this connection's own). It may differ without such a
// commit, never the other way round.
qint64 CommittedChangesMark(Connection &connection);

// Off: a commit returns before it is on the disk; a crash may take back the
// last commits, never leave the database half-written. On again: every commit
// is flushed, and what waited is flushed now.
void FlushEachCommit(Connection &connection, bool flush);

} // namespace db
