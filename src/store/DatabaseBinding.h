#pragma once

// An event folder keeps its own database, rogain.abs, or is bound to a
// database on a PostgreSQL server that several seats share. The server's
// address is kept in the folder ("database.txt"); a password never is: it
// comes from PGPASSWORD or ~/.pgpass. The folder keeps the seat's reports,
// exports and logs either way.

#include "db/DatabaseAddress.h"

#include <QString>

// The database of the event in `eventDirectory` (ending with a separator).
// Raises KorventError naming the file when the address it keeps cannot be read.
db::DatabaseAddress EventDatabaseAddress(const QString &eventDirectory);
QString DatabaseBindingFileName(const QString &eventDirectory);

// Binds the folder to a server's database, opened first: the tables are made
// in an empty database, one of another program is refused and the folder
// left as it was.
void BindEventToServer(const QString &eventDirectory, const db::DatabaseAddress &address);
// Opens the server's database as binding does, the folder left alone: raises
// KorventError naming the server when it cannot be reached, refuses the
// user, or holds the tables of another program.
void CheckEventServer(const db::DatabaseAddress &address);
// Binds the folder to an address CheckEventServer has just passed.
void BindEventToCheckedServer(const QString &eventDirectory, const db::DatabaseAddress &address);
// The folder goes back to its own file.
void BindEventToOwnFile(const QString &eventDirectory);
