#pragma once

// Where an event's database lives: the SQLite file of its folder, or a
// database on a PostgreSQL server that several seats share. The one place
// that knows which engines there are and how an address is written.

#include <QString>

namespace db {

enum class Engine { SQLite, PostgreSQL };

struct DatabaseAddress
{
    Engine engine = Engine::SQLite;
    QString fileName;      // SQLite
    QString user;          // PostgreSQL: role, server (a name, an address or a socket folder), port and database
    QString host;
    int port = 5432;
    QString databaseName;

    static DatabaseAddress sqliteFile(const QString &fileName);
    // Reads "postgresql://USER@HOST[:PORT]/DBNAME" (a socket folder as HOST written
    // with %2F for its slashes). Raises KorventError naming what is wrong; an
    // address with a password is refused: passwords come from PGPASSWORD or ~/.pgpass.
    static DatabaseAddress fromUrl(const QString &text);
    // The address as fromUrl reads it.
    QString url() const;
    // The file name, or the server's address, for messages.
    QString displayName() const;

    bool operator==(const DatabaseAddress &) const = default;
};

} // namespace db
