#pragma once

// Reads that see one snapshot of the event without taking the writer lock.
// On SQLite a savepoint does it, also inside a caller's transaction. A server
// knows savepoints only inside a transaction block, so there each read sees
// the database as it is when it runs.

#include "base/KorventError.h"
#include "db/Connection.h"

namespace db {

class ReadSnapshot
{
public:
    explicit ReadSnapshot(Connection &connection)
        : m_connection(connection.engine() == Engine::SQLite ? &connection : nullptr)
    {
        if (m_connection)
            m_connection->exec(QStringLiteral("SAVEPOINT read_snapshot"));
    }
    ~ReadSnapshot()
    {
        if (!m_connection)
            return;
        try {
            m_connection->exec(QStringLiteral("RELEASE read_snapshot"));
        } catch (const KorventError &) {
            // Nothing was written: a snapshot that cannot be released ends with the connection.
        }
    }
    ReadSnapshot(const ReadSnapshot &) = delete;
    ReadSnapshot &operator=(const ReadSnapshot &) = delete;

private:
    Connection *m_connection;
};

} // namespace db
