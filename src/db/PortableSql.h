#pragma once

// Pieces of SQL that mean one thing on both engines but are written
// differently on each.

#include "db/DatabaseAddress.h"

#include <QString>

namespace db {

// A temporary table's name (one the connection alone sees, gone when it
// closes) with the schema that holds such tables, so that a DROP never
// reaches a stored table of that name.
QString TemporaryTableName(Engine engine, const QString &name);

// An ascending ORDER BY term on a column that may hold NULL, sorting NULL
// first as SQLite does: a server puts it last.
QString NullsFirst(Engine engine, const QString &column);

} // namespace db
