#pragma once

// One connection to an SQLite database file, for the thread that creates it.
// Every thread (the UI thread, each readout worker) opens its own; the file
// runs in WAL mode with a busy timeout so that they work side by side.

#include "db/TableDefinition.h"

#include <QMutex>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <optional>
#include <QString>
#include <QVariantList>

namespace db {

class Connection
{
public:
    // Opens the file, creating it when missing. A file that is not an SQLite
    // database, or one that cannot be created or opened, raises KorventError
    // naming the file and the cause; such a file is left untouched.
    explicit Connection(const QString &fileName);
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    const QString &fileName() const { return m_fileName; }
    QSqlDatabase database() const;

    // Runs a statement with positional (?) parameters; raises KorventError on failure.
    // The returned query is forward-only and positioned before its first row.
    QSqlQuery exec(const QString &sql, const QVariantList &parameters = {});
    // A prepared statement to run many times with other values.
    QSqlQuery prepare(const QString &sql);
    void exec(QSqlQuery &prepared, const QVariantList &parameters);
    // The first row, read and let go of at once (a statement left on a row
    // would keep an old snapshot open and stop this connection from writing).
    std::optional<QSqlRecord> firstRow(const QString &sql, const QVariantList &parameters = {});
    // The first column of the first row; an invalid QVariant when no row.
    QVariant scalar(const QString &sql, const QVariantList &parameters = {});

    bool tableExists(const QString &table) const;
    // Creates the table and its indexes (named <table>_<index>).
    void createTable(const TableDefinition &table);

    void begin();
    void commit();
    void rollback();

    // The engine's version text, e.g. "3.40.1".
    QString engineVersion();

private:
    [[noreturn]] void fail(const QString &what, const QString &cause) const;

    QString m_fileName;
    QString m_connectionName;
    // Writers of this process take turns on this lock before SQLite's own,
    // so a waiting writer wakes the moment the other commits instead of
    // polling in SQLite's busy handler.
    QMutex *m_writeLock;
    bool m_holdsWriteLock = false;
};

// Commits on commit(); rolls back when left without it (an error on the way).
class Transaction
{
public:
    explicit Transaction(Connection &connection);
    ~Transaction();
    void commit();

private:
    Connection &m_connection;
    bool m_done = false;
};

QString quoteIdentifier(const QString &name);

} // namespace db
