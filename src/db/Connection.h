#pragma once

// One connection to an event database, for the thread that creates it: an
// SQLite file or a database on a PostgreSQL server (DatabaseAddress).
// Every thread (the UI thread, each readout worker) opens its own; an SQLite
// file runs in WAL mode with a busy timeout so that they work side by side.
//
// The file is only ever opened through SQLite: a descriptor opened and closed
// beside it would drop every lock this process holds on the file, and another
// process could then checkpoint and remove the write-ahead log in use here.
// While a connection is open its files are guarded (GuardedFiles): the
// program's reads and writes by name refuse them.

#include "db/DatabaseAddress.h"
#include "db/TableDefinition.h"

#include "base/KorventError.h"

#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <optional>
#include <QString>
#include <QVariantList>
#include <memory>

struct sqlite3;

namespace db {

class LogCheckpointer;
struct WriterLock;

// A failure of the database itself (the file, the disk, the engine) rather
// than of what was asked of it: callers that keep running, such as the
// readout server, tell the operator at once.
class DatabaseError : public KorventError
{
public:
    using KorventError::KorventError;
};

class Connection
{
public:
    // Opens the file, creating it when missing. A file that is not an SQLite
    // database, or one that cannot be created or opened, raises KorventError
    // naming the file and the cause; such a file is left untouched.
    // With a schema the database is completed to it: missing tables are added;
    // an existing one only gains the schema's fields it lacks (see below). A database that holds tables but none of the
    // schema's with all of its fields belongs to another program and is
    // refused, left untouched.
    // A schema may have a version, kept in the file (PRAGMA user_version): a file
    // of a newer version is refused untouched, naming both versions; an older
    // one (0: made before versions were kept) is completed and marked with
    // this version in one transaction: missing tables made, missing fields
    // added with their defaults.
    explicit Connection(const QString &fileName, const std::vector<TableDefinition> &schema = {}, int schemaVersion = 0);
    // The same for either engine. A server that cannot be reached, or refuses
    // the user, raises DatabaseError naming the server within a few seconds.
    // On PostgreSQL the version is kept in a table of its own.
    explicit Connection(const DatabaseAddress &address, const std::vector<TableDefinition> &schema = {}, int schemaVersion = 0);
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    const QString &fileName() const { return m_fileName; }
    const DatabaseAddress &address() const { return m_address; }
    Engine engine() const { return m_address.engine; }

    // Runs an INSERT and returns the id the new row got.
    qint64 insert(const QString &sql, const QVariantList &parameters = {});
    // The same for an INSERT run many times: prepared with prepareInsert,
    // its id read with insertedId after each exec.
    QSqlQuery prepareInsert(const QString &sql);
    qint64 insertedId(QSqlQuery &executedInsert);

    // Inserts rows of values for `columns` (names as the statements write them)
    // in as few round trips as the engine needs: a server gets many rows a
    // statement, a file one prepared statement run for each row.
    void insertRows(const QString &table, const QStringList &columns, const std::vector<QVariantList> &rows);

    // Runs a statement with positional (?) parameters; raises KorventError on failure.
    // The returned query is forward-only, positioned before its first row, and
    // must not outlive the connection.
    QSqlQuery exec(const QString &sql, const QVariantList &parameters = {});
    // A prepared statement to run many times with other values.
    QSqlQuery prepare(const QString &sql);
    void exec(QSqlQuery &prepared, const QVariantList &parameters);
    // The first row, read and let go of at once (a statement left on a row
    // would keep an old snapshot open and stop this connection from writing).
    std::optional<QSqlRecord> firstRow(const QString &sql, const QVariantList &parameters = {});
    // The first column of the first row; an invalid QVariant when no row.
    QVariant scalar(const QString &sql, const QVariantList &parameters = {});
    // The first column of every row, as text.
    QStringList texts(const QString &sql, const QVariantList &parameters = {});

    bool tableExists(const QString &table);
    // On a server, inside a transaction that may have stored rows with keys of
    // their own (a copy, the operator's SQL): the keys handed out next follow
    // the greatest stored ones, as SQLite's do. Nothing on SQLite.
    void catchUpKeys();

    // Empty while the files this connection works in (the database, its
    // write-ahead log and shared memory) are the ones at their names; else the operator's
    // message naming the file that another program deleted or replaced, most
    // likely after this process lost its locks: what is written now reaches
    // no other program.
    QString replacedFileMessage() const;

    // How long the last committed transaction held the file's write lock,
    // from its BEGIN to the end of its COMMIT.
    qint64 lastWriteNs() const { return m_lastWriteNs; }

    // A writer that must not wait long and writes briefly (a readout: the
    // station waits for its reply) lets a writer of another program that is
    // waiting for the write lock go first, for a few milliseconds at most
    // (WaitingWriterSign). Every writer tries another program's write lock
    // again every half millisecond instead of sleeping up to 100 ms between
    // tries as SQLite does.
    void giveWayToWaitingPrograms() { m_givesWay = true; }

    // Copying the write-ahead log back into the database, once it is long,
    // is left to the checkpointer's thread instead of being done after the
    // commit that made it long (a writer whose caller waits: a readout);
    // only the few pages committed while it ran are copied here.
    void leaveCheckpointsTo(std::shared_ptr<LogCheckpointer> checkpointer) { m_checkpointer = std::move(checkpointer); }
    // A passive checkpoint of an SQLite database whose log is that many
    // pages long; one that cannot finish (a reader keeps old pages) is tried
    // again once the log has grown by as much again.
    void copyLogBack(int logPages);

    // Transaction ids this connection took on a server (a write gives its
    // transaction one, committed or not), so that a look at what others
    // committed can leave out its own.
    qint64 ownTransactionIds() const { return m_ownTransactionIds; }

    // The engine's version text, e.g. "3.40.1".
    QString engineVersion();
    // The engine's name and version, e.g. "SQLite 3.40.1".
    QString engineText();
    // The schema version the database holds (0 for one made before versions).
    int storedVersion();

    // The engine's own handle, for what the Qt driver does not give (error
    // offsets, parameter names, the fields a result column comes from).
    // Only the statement runner of this folder uses it.
    sqlite3 *nativeHandle() const;
    // Qt's handle of the connection, for the statement runner on a server.
    QSqlDatabase database() const;

private:
    friend class Transaction;

    [[noreturn]] void fail(const QString &what, const QString &cause) const;
    [[noreturn]] void failToOpen(const QString &cause) const;
    void open();
    void openServer();
    // A server connection that was lost is opened again before the next
    // statement; what the lost one had begun is gone with it.
    void reopenWhenLost();
    bool lostServer(const QSqlError &error) const;
    // After a statement that failed: true when the connection was lost and is open again.
    bool reopenedAfterIdleLoss(const QSqlQuery &failed);
    [[noreturn]] void failStatement(const QSqlQuery &query, const QString &sql);
    void storeVersion(int schemaVersion);
    // Names of the tables the file holds, read through SQLite (the first read of the header).
    QStringList storedTables();
    void refuseForeignDatabase(const QStringList &storedTables, const std::vector<TableDefinition> &schema);
    void refuseNewerSchema(int schemaVersion);
    void completeSchema(const std::vector<TableDefinition> &schema, int schemaVersion);
    // The table and its indexes (named <table>_<index>), inside a transaction.
    void createTable(const TableDefinition &table);

    // Only through Transaction.
    void begin();
    void commit();
    void rollback();
    void releaseWriterLock();
    // On a server: counts the transaction's id if it took one.
    void noteOwnTransactionId();
    // Copies the write-ahead log back into the database once it is long, outside any transaction.
    void checkpointWhenLong();

    DatabaseAddress m_address;
    // The file, or the server's database, as messages name it.
    QString m_fileName;
    QString m_connectionName;
    // Writers of this process take turns on this lock before SQLite's own,
    // so a waiting writer wakes the moment the other commits instead of
    // polling in SQLite's busy handler.
    WriterLock *m_writerLock;
    bool m_holdsWriterLock = false;
    bool m_givesWay = false;
    bool m_lost = false;
    std::shared_ptr<LogCheckpointer> m_checkpointer;
    qint64 m_ownTransactionIds = 0;
    // Pages in the write-ahead log after this connection's last commit.
    int m_walPages = 0;
    QElapsedTimer m_writing;
    qint64 m_lastWriteNs = 0;
};

// One change of the database: begun on construction with the file's writer
// lock taken, committed on commit(), rolled back when left without it (an
// error on the way). A thread holds one transaction at a time: beginning a
// second one while the first is open (on any connection to the same file)
// raises KorventError at once instead of waiting for itself.
class Transaction
{
public:
    explicit Transaction(Connection &connection);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    void commit();

    // The connection of the transaction this thread has open, or null: a
    // change that must go with it (an event setting saved by an import) is
    // written there.
    static Connection *openInThisThread();

private:
    Connection &m_connection;
    bool m_done = false;
};

QString quoteIdentifier(const QString &name);

} // namespace db
