#pragma once

// Makes the database refuse a write, as a full disk or another tool's rule
// would, on either engine: a BEFORE trigger on `table` for `event` ("INSERT",
// "UPDATE") that aborts with `message` when `condition` (on NEW) holds.

#include "db/Connection.h"

inline void refuseWrites(db::Connection &connection, const QString &name, const QString &event, const QString &table,
                         const QString &condition, const QString &message)
{
    if (connection.engine() == db::Engine::SQLite) {
        connection.exec(QStringLiteral("CREATE TRIGGER %1 BEFORE %2 ON %3 WHEN %4 BEGIN SELECT RAISE(ABORT, '%5'); END")
                            .arg(name, event, table, condition, message));
        return;
    }
    connection.exec(QStringLiteral("CREATE FUNCTION %1() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN "
                                   "IF %2 THEN RAISE EXCEPTION '%3'; END IF; RETURN NEW; END $$")
                        .arg(name, condition, message));
    connection.exec(QStringLiteral("CREATE TRIGGER %1 BEFORE %2 ON %3 FOR EACH ROW EXECUTE FUNCTION %1()").arg(name, event, table));
}
