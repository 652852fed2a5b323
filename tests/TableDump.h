#pragma once

// Every row of the event's tables as text, to compare an event before and
// after a command that must leave it as it was.

#include "db/Connection.h"

#include <QSqlRecord>
#include <QStringList>

inline QStringList TableDump(db::Connection &connection, const QStringList &tables = {QStringLiteral("team"), QStringLiteral("runner"),
                                                                                     QStringLiteral("control"), QStringLiteral("res_cp"),
                                                                                     QStringLiteral("extrapoint")})
{
    QStringList lines;
    for (const QString &table : tables) {
        QSqlQuery rows = connection.exec(QStringLiteral("SELECT * FROM %1 ORDER BY id").arg(table));
        while (rows.next()) {
            QStringList fields{table};
            for (int i = 0; i < rows.record().count(); ++i)
                fields.append(rows.value(i).isNull() ? QStringLiteral("<null>") : rows.value(i).toString());
            lines.append(fields.join(u'|'));
        }
    }
    return lines;
}
