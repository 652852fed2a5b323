#include "db/Connection.h"

#include "base/GuardedFiles.h"
#include "base/KorventError.h"

#include <QAtomicInteger>
#include <QCoreApplication>
#include <QFileInfo>
#include <QMutexLocker>
#include <QScopeGuard>
#include <QSqlDriver>
#include <QSqlError>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <utility>
#include <map>
#include <memory>
#include <sqlite3.h>

namespace db {

// The writer lock of one file, shared by every connection of this process to it.
struct WriterLock
{
    QMutex mutex;
    // The thread that holds the mutex, so that it is told at once when it asks again.
    std::atomic<Qt::HANDLE> owner{nullptr};
    // The length of the write-ahead log, in pages, from which a committing
    // connection copies it back into the database.
    std::atomic<int> checkpointAt{0};
};

namespace {

QAtomicInteger<quint64> connectionCounter;
constexpr int busyTimeoutMs = 30'000;
// SQLite's primary result code for a file that is not a database.
constexpr int notADatabase = 26;
// Pages in the write-ahead log from which the committing connection copies it
// back into the database (SQLite's own default).
constexpr int checkpointPages = 1000;

// Replaces SQLite's automatic checkpoint, which runs inside COMMIT: it only
// notes the log's length for Connection::commit.
int noteLogPages(void *walPages, sqlite3 *, const char *, int pages)
{
    *static_cast<int *>(walPages) = pages;
    return SQLITE_OK;
}

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(Database)
};

// How a prompt writer waits for another program's write lock. SQLite's own
// busy handler sleeps 1, 2, 5, 10 ... up to 100 ms between tries: a readout
// that met another program's short write (the calculation's batches leave the
// lock free most of the time) slept on long after the lock was free, and the
// readouts queued behind it with it. Short even naps cost a lock try each.
int napUntilFree(void *waiting, int tries)
{
    auto &since = *static_cast<QElapsedTimer *>(waiting);
    if (tries == 0)
        since.start();
    if (since.elapsed() >= busyTimeoutMs)
        return 0;
    QThread::usleep(500);
    return 1;
}

QString replacedMessage(const QString &replacedFile)
{
    return Texts::tr("The database file %1 was deleted or replaced by another program: what is stored now reaches no other "
              "program. Close Korvent and open the event again.").arg(replacedFile);
}

WriterLock *writerLockOf(const QString &fileName)
{
    static QMutex registryLock;
    static std::map<QString, std::unique_ptr<WriterLock>> locks;
    const QString key = QFileInfo(fileName).absoluteFilePath();
    QMutexLocker lock(&registryLock);
    std::unique_ptr<WriterLock> &entry = locks[key];
    if (!entry)
        entry = std::make_unique<WriterLock>();
    return entry.get();
}

// Declared types name the kind for other tools; none of them has an affinity
// that would turn the stored date texts into numbers.
QString sqlType(const FieldDefinition &field)
{
    switch (field.kind) {
    case FieldKind::AutoIncrement: return QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
    case FieldKind::Integer: return QStringLiteral("INTEGER");
    case FieldKind::LargeInt: return QStringLiteral("BIGINT");
    case FieldKind::Boolean: return QStringLiteral("BOOLEAN");
    case FieldKind::Text: return QStringLiteral("VARCHAR(%1)").arg(field.size);
    case FieldKind::Memo: return QStringLiteral("TEXT");
    case FieldKind::Date: return QStringLiteral("DATE");
    case FieldKind::DateTime: return QStringLiteral("DATETIME");
    }
    return QStringLiteral("TEXT");
}

QString sqlLiteral(const QVariant &value)
{
    if (value.typeId() == QMetaType::QString)
        return u'\'' + value.toString().replace(u'\'', QStringLiteral("''")) + u'\'';
    return value.toString();
}

int storedVersion(Connection &connection)
{
    return connection.scalar(QStringLiteral("PRAGMA user_version")).toInt();
}

// The field names of a stored table.
QStringList storedFields(Connection &connection, const QString &table)
{
    QStringList names;
    QSqlQuery query = connection.exec(QStringLiteral("SELECT name FROM pragma_table_info(?)"), {table});
    while (query.next())
        names.append(query.value(0).toString());
    return names;
}

QString columnDefinition(const FieldDefinition &field)
{
    QString column = quoteIdentifier(field.name) + u' ' + sqlType(field);
    if (field.defaultValue.isValid())
        column += QStringLiteral(" DEFAULT ") + sqlLiteral(field.defaultValue);
    return column;
}

} // namespace

QString quoteIdentifier(const QString &name)
{
    return u'"' + QString(name).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

Connection::Connection(const QString &fileName, const std::vector<TableDefinition> &schema, int schemaVersion)
    : m_fileName(fileName)
    , m_connectionName(QStringLiteral("korvent-%1").arg(++connectionCounter))
    , m_writerLock(writerLockOf(fileName))
{
    const QFileInfo info(fileName);
    if (info.exists() && !info.isFile())
        fail(Texts::tr("Cannot open the database file %1"), info.isDir() ? Texts::tr("it is a folder") : Texts::tr("it is not a plain file"));
    // A connection opened by name beside the program's others (a readout
    // worker, a window's long work) must reach the file they have open, not
    // one another program has put at its name since.
    if (const QString replaced = GuardedFiles::replacedDatabaseFile(m_fileName); !replaced.isEmpty())
        throw DatabaseError(replacedMessage(replaced));
    GuardedFiles::addDatabase(m_fileName);
    try {
        open();
    } catch (...) {
        GuardedFiles::removeDatabase(m_fileName);
        throw;
    }
    GuardedFiles::opened(m_fileName);
    try {
        // Nothing is written before the file has shown itself to be ours.
        refuseForeignDatabase(storedTables(), schema);
        refuseNewerSchema(schemaVersion);
        const QString mode = scalar(QStringLiteral("PRAGMA journal_mode=WAL")).toString();
        if (mode.compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0)
            fail(Texts::tr("Cannot open the database file %1"), Texts::tr("write-ahead journal not available (%1)").arg(mode));
        // A readout is acknowledged after its commit: the commit must be on
        // the disk by then, power cut or not (NORMAL may roll it back).
        exec(QStringLiteral("PRAGMA synchronous=FULL"));
        sqlite3_wal_hook(nativeHandle(), noteLogPages, &m_walPages);
        completeSchema(schema, schemaVersion);
    } catch (...) {
        database().close();
        QSqlDatabase::removeDatabase(m_connectionName);
        GuardedFiles::removeDatabase(m_fileName);
        throw;
    }
}

void Connection::open()
{
    QString cause;
    {
        QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
        database.setDatabaseName(m_fileName);
        database.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeoutMs));
        if (database.open())
            return;
        cause = database.lastError().text();
    }
    // The handle is gone: the registration goes without a warning.
    QSqlDatabase::removeDatabase(m_connectionName);
    fail(Texts::tr("Cannot open the database file %1"), cause);
}

QStringList Connection::storedTables()
{
    QSqlQuery query(database());
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'"))) {
        const QSqlError error = query.lastError();
        if ((error.nativeErrorCode().toInt() & 0xff) == notADatabase)
            fail(Texts::tr("Cannot open the database file %1"), Texts::tr("it is not an SQLite 3 database"));
        fail(Texts::tr("Cannot open the database file %1"), error.text());
    }
    QStringList names;
    while (query.next())
        names.append(query.value(0).toString());
    return names;
}

void Connection::refuseForeignDatabase(const QStringList &storedTables, const std::vector<TableDefinition> &schema)
{
    // An empty database is a new one. It is ours when a table of ours holds
    // every field of ours: a table of another program that only shares a
    // name ("team", "control") must not make it ours, completed and written to.
    if (schema.empty() || storedTables.isEmpty())
        return;
    bool holdsOurs = false;
    QStringList strangers;
    for (const TableDefinition &table : schema) {
        if (!storedTables.contains(table.name, Qt::CaseInsensitive))
            continue;
        holdsOurs = true;
        const QStringList stored = storedFields(*this, table.name);
        QStringList missing;
        for (const FieldDefinition &field : table.fields)
            if (!stored.contains(field.name, Qt::CaseInsensitive))
                missing.append(field.name);
        if (missing.isEmpty())
            return;
        strangers.append(Texts::tr("table %1 without the fields %2").arg(table.name, missing.join(QStringLiteral(", "))));
    }
    if (!holdsOurs)
        fail(Texts::tr("Cannot open the database file %1"),
             Texts::tr("it is the database of another program (tables %1), not an event database").arg(storedTables.join(QStringLiteral(", "))));
    fail(Texts::tr("Cannot open the database file %1"),
         Texts::tr("it is the database of another program (%1), not an event database").arg(strangers.join(QStringLiteral("; "))));
}

Connection::~Connection()
{
    releaseWriterLock();
    database().close();
    QSqlDatabase::removeDatabase(m_connectionName);
    GuardedFiles::removeDatabase(m_fileName);
}

QSqlDatabase Connection::database() const
{
    return QSqlDatabase::database(m_connectionName, false);
}

void Connection::fail(const QString &what, const QString &cause) const
{
    throw DatabaseError(what.arg(m_fileName) + QStringLiteral(": ") + cause);
}

QSqlQuery Connection::prepare(const QString &sql)
{
    QSqlQuery query(database());
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        fail(Texts::tr("Database error in %1"), query.lastError().text() + QStringLiteral(" [") + sql + u']');
    return query;
}

void Connection::exec(QSqlQuery &prepared, const QVariantList &parameters)
{
    for (int i = 0; i < parameters.size(); ++i)
        prepared.bindValue(i, parameters.at(i));
    if (!prepared.exec())
        fail(Texts::tr("Database error in %1"), prepared.lastError().text() + QStringLiteral(" [") + prepared.lastQuery() + u']');
    // A change made outside a Transaction commits on its own.
    checkpointWhenLong();
}

QSqlQuery Connection::exec(const QString &sql, const QVariantList &parameters)
{
    QSqlQuery query = prepare(sql);
    exec(query, parameters);
    return query;
}

std::optional<QSqlRecord> Connection::firstRow(const QString &sql, const QVariantList &parameters)
{
    QSqlQuery query = exec(sql, parameters);
    if (!query.next())
        return std::nullopt;
    QSqlRecord record = query.record();
    query.finish();
    return record;
}

QVariant Connection::scalar(const QString &sql, const QVariantList &parameters)
{
    QSqlQuery query = exec(sql, parameters);
    return query.next() ? query.value(0) : QVariant();
}

bool Connection::tableExists(const QString &table)
{
    return scalar(QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE type='table' AND name=? COLLATE NOCASE"), {table}).toInt() > 0;
}

void Connection::refuseNewerSchema(int schemaVersion)
{
    const int stored = storedVersion(*this);
    if (schemaVersion > 0 && stored > schemaVersion)
        fail(Texts::tr("Cannot open the database file %1"),
             Texts::tr("it was made by a newer version of the program (database version %1; this version reads up to %2)").arg(stored).arg(schemaVersion));
}

void Connection::completeSchema(const std::vector<TableDefinition> &schema, int schemaVersion)
{
    // A table of an older file may lack fields added since.
    const auto missingFields = [&](const TableDefinition &table) {
        const QStringList stored = storedFields(*this, table.name);
        std::vector<const FieldDefinition *> missing;
        for (const FieldDefinition &field : table.fields)
            if (!stored.contains(field.name, Qt::CaseInsensitive))
                missing.push_back(&field);
        return missing;
    };
    const auto complete = [&] {
        if (storedVersion(*this) < schemaVersion)
            return false;
        for (const TableDefinition &table : schema)
            if (!tableExists(table.name))
                return false;
        return true;
    };
    if (schema.empty() || complete())
        return;
    // Decided again inside the transaction: another program may have opened the file meanwhile.
    // The steps that bring an older version up go here, in order, before the version is marked.
    Transaction transaction(*this);
    refuseNewerSchema(schemaVersion);
    for (const TableDefinition &table : schema) {
        if (!tableExists(table.name)) {
            createTable(table);
            continue;
        }
        for (const FieldDefinition *field : missingFields(table))
            exec(QStringLiteral("ALTER TABLE %1 ADD COLUMN %2").arg(quoteIdentifier(table.name), columnDefinition(*field)));
    }
    if (storedVersion(*this) < schemaVersion)
        exec(QStringLiteral("PRAGMA user_version=%1").arg(schemaVersion));
    transaction.commit();
}

void Connection::createTable(const TableDefinition &table)
{
    QStringList columns;
    for (const FieldDefinition &field : table.fields)
        columns.append(columnDefinition(field));
    exec(QStringLiteral("CREATE TABLE %1 (%2)").arg(quoteIdentifier(table.name), columns.join(QStringLiteral(", "))));
    for (const IndexDefinition &index : table.indexes) {
        QStringList fields;
        for (const QString &field : index.fields)
            fields.append(quoteIdentifier(field));
        exec(QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
                 .arg(index.unique ? QStringLiteral("UNIQUE ") : QString(),
                      quoteIdentifier(table.name + u'_' + index.name),
                      quoteIdentifier(table.name),
                      fields.join(QStringLiteral(", "))));
    }
}

void Connection::begin()
{
    if (m_writerLock->owner.load() == QThread::currentThreadId())
        fail(Texts::tr("Database error in %1"), Texts::tr("a transaction is already open in this thread; a change cannot start inside another one"));
    if (!m_writerLock->mutex.tryLock(busyTimeoutMs))
        fail(Texts::tr("Database error in %1"), Texts::tr("another writer kept the database busy for %1 seconds").arg(busyTimeoutMs / 1000));
    m_writerLock->owner.store(QThread::currentThreadId());
    m_holdsWriterLock = true;
    try {
        // IMMEDIATE takes SQLite's write lock at once, so a writer of another
        // process waits on the busy timeout at the start instead of failing half-way.
        QElapsedTimer waiting;
        if (m_waitsPromptly)
            sqlite3_busy_handler(nativeHandle(), napUntilFree, &waiting);
        const auto usualWaits = qScopeGuard([this] {
            if (m_waitsPromptly)
                sqlite3_busy_timeout(nativeHandle(), busyTimeoutMs);
        });
        exec(QStringLiteral("BEGIN IMMEDIATE"));
        m_writing.start();
    } catch (...) {
        releaseWriterLock();
        throw;
    }
}

void Connection::commit()
{
    exec(QStringLiteral("COMMIT"));
    m_lastWriteNs = m_writing.nsecsElapsed();
    releaseWriterLock();
    checkpointWhenLong();
}

void Connection::checkpointWhenLong()
{
    // The checkpoint writes a thousand pages or more back into the database
    // and flushes it, which takes long on a large event. SQLite would run it
    // inside COMMIT, with this process's writer lock still held, so every
    // other readout of the server waited for it; here it runs after the
    // commit, and the others write meanwhile (a passive checkpoint never
    // blocks them). One that fails or finds another one running leaves the
    // pages for a later one: the log keeps them safe until then.
    //
    // A reader in the middle of a long report keeps the pages after its
    // snapshot in the log; trying again at every commit would make each
    // readout pay for a checkpoint that cannot finish, so the next try waits
    // until the log has grown by as much again.
    if (m_walPages == 0 || m_holdsWriterLock || !sqlite3_get_autocommit(nativeHandle()))
        return; // nothing committed since the last look, or not yet
    const int pages = std::exchange(m_walPages, 0);
    if (pages < checkpointPages) {
        // The log was started afresh since the last try.
        m_writerLock->checkpointAt = checkpointPages;
        return;
    }
    if (pages < m_writerLock->checkpointAt)
        return;
    int logPages = 0;
    int copiedPages = 0;
    const int result = sqlite3_wal_checkpoint_v2(nativeHandle(), nullptr, SQLITE_CHECKPOINT_PASSIVE, &logPages, &copiedPages);
    const bool finished = result == SQLITE_OK && copiedPages >= logPages;
    m_writerLock->checkpointAt = finished ? checkpointPages : std::max(pages, logPages) + checkpointPages;
}

void Connection::rollback()
{
    const auto release = qScopeGuard([this] { releaseWriterLock(); });
    exec(QStringLiteral("ROLLBACK"));
}

void Connection::releaseWriterLock()
{
    if (!m_holdsWriterLock)
        return;
    m_holdsWriterLock = false;
    m_writerLock->owner.store(nullptr);
    m_writerLock->mutex.unlock();
}

QString Connection::replacedFileMessage() const
{
    // SQLite tells a database file renamed away under it; the kernel tells the
    // rest (a deleted write-ahead log or shared memory).
    int moved = 0;
    const bool databaseMoved = sqlite3_file_control(nativeHandle(), "main", SQLITE_FCNTL_HAS_MOVED, &moved) == SQLITE_OK && moved;
    const QString replaced = databaseMoved ? m_fileName : GuardedFiles::replacedDatabaseFile(m_fileName);
    return replaced.isEmpty() ? QString() : replacedMessage(replaced);
}

QString Connection::engineVersion()
{
    return scalar(QStringLiteral("SELECT sqlite_version()")).toString();
}

sqlite3 *Connection::nativeHandle() const
{
    const QVariant handle = database().driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        fail(Texts::tr("Database error in %1"), Texts::tr("the connection has no engine handle"));
    sqlite3 *engine = *static_cast<sqlite3 *const *>(handle.constData());
    if (!engine)
        fail(Texts::tr("Database error in %1"), Texts::tr("the connection is closed"));
    return engine;
}

Transaction::Transaction(Connection &connection)
    : m_connection(connection)
{
    m_connection.begin();
}

Transaction::~Transaction()
{
    if (!m_done) {
        try {
            m_connection.rollback();
        } catch (const KorventError &) {
            // the transaction is gone with the error that ended it
        }
    }
}

void Transaction::commit()
{
    if (m_done)
        m_connection.fail(Texts::tr("Database error in %1"), Texts::tr("the transaction was committed already"));
    m_connection.commit();
    m_done = true;
}

} // namespace db
