#pragma once

// Every table of a database with every row, as text: two dumps are equal
// when no row, key or counter (sqlite_sequence) differs. A server's key
// sequences are left out: they move on in a transaction rolled back too.

#include "db/Connection.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>

inline QStringList DatabaseDump(db::Connection &connection)
{
    QStringList dump;
    const bool server = connection.engine() == db::Engine::PostgreSQL;
    QSqlQuery tables = connection.exec(server ? QStringLiteral("SELECT table_name FROM information_schema.tables "
                                                               "WHERE table_schema = current_schema() ORDER BY table_name")
                                              : QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' ORDER BY name"));
    QStringList names;
    while (tables.next())
        names.append(tables.value(0).toString());
    for (const QString &name : std::as_const(names)) {
        dump.append(QStringLiteral("table ") + name);
        // The counters by table: a copy makes them in its own order.
        const QString order = server                                     ? QStringLiteral(" ORDER BY 1")
                              : name == QLatin1String("sqlite_sequence") ? QStringLiteral(" ORDER BY name")
                                                                         : QStringLiteral(" ORDER BY rowid");
        QSqlQuery rows = connection.exec(QStringLiteral("SELECT * FROM ") + db::quoteIdentifier(name) + order);
        while (rows.next()) {
            QStringList values;
            for (int i = 0; i < rows.record().count(); ++i)
                values.append(rows.value(i).isNull() ? QStringLiteral("NULL") : u'\'' + rows.value(i).toString() + u'\'');
            dump.append(values.join(u'|'));
        }
    }
    return dump;
}
