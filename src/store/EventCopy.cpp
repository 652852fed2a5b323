#include "store/EventCopy.h"

#include "base/KorventError.h"
#include "db/Connection.h"
#include "store/EventRecords.h"
#include "store/EventSchema.h"

#include <QCoreApplication>
#include <QSqlQuery>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(EventCopy)
};

QStringList fieldNames(const db::TableDefinition &table)
{
    QStringList names;
    for (const db::FieldDefinition &field : table.fields)
        names.append(db::quoteIdentifier(field.name));
    return names;
}

} // namespace

qint64 CopyEventDatabase(const QString &eventDirectory, const db::DatabaseAddress &source, const db::DatabaseAddress &target)
{
    if (source == target)
        throw KorventError(Texts::tr("The event cannot be copied onto itself (%1)").arg(source.displayName()));
    db::Connection from(source, EventDatabaseTables(), EventSchemaVersion);
    db::Connection to(target, EventDatabaseTables(), EventSchemaVersion);
    qint64 copied = 0;
    db::Transaction transaction(to);
    // Decided inside the transaction: a seat may have started on the target meanwhile.
    for (const db::TableDefinition &table : EventDatabaseTables()) {
        const qint64 rows = to.scalar(QStringLiteral("SELECT COUNT(*) FROM ") + db::quoteIdentifier(table.name)).toLongLong();
        if (rows > 0)
            throw KorventError(Texts::tr("The %1 is not empty (table %2 holds %3 rows): an event is copied only into an empty database")
                                   .arg(target.engine == db::Engine::SQLite ? Texts::tr("database file %1").arg(target.fileName) : target.displayName(),
                                        table.name)
                                   .arg(rows));
    }
    for (const db::TableDefinition &table : EventTables()) {
        const QStringList names = fieldNames(table);
        QSqlQuery insert = to.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                          .arg(db::quoteIdentifier(table.name), names.join(u','), QStringList(names.size(), QStringLiteral("?")).join(u',')));
        QSqlQuery rows = from.exec(QStringLiteral("SELECT %1 FROM %2 ORDER BY id").arg(names.join(u','), db::quoteIdentifier(table.name)));
        while (rows.next()) {
            QVariantList values;
            for (int i = 0; i < names.size(); ++i)
                values.append(rows.value(i));
            to.exec(insert, values);
            ++copied;
        }
    }
    to.catchUpKeys();
    // Written before the commit: a failure leaves the target database as it was.
    if (source.engine == db::Engine::SQLite && target.engine == db::Engine::PostgreSQL)
        copied += EventRecords::copyFilesToRows(eventDirectory, to);
    else if (source.engine == db::Engine::PostgreSQL && target.engine == db::Engine::SQLite)
        copied += EventRecords::copyRowsToFiles(from, eventDirectory);
    transaction.commit();
    return copied;
}
