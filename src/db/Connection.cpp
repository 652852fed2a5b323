#include "db/Connection.h"

#include "base/KorventError.h"

#include <QAtomicInteger>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QMutexLocker>
#include <QScopeGuard>
#include <QSqlError>
#include <map>
#include <memory>

namespace db {

namespace {

QAtomicInteger<quint64> connectionCounter;

QMutex *writeLockOf(const QString &fileName)
{
    static QMutex registryLock;
    static std::map<QString, std::unique_ptr<QMutex>> locks;
    const QString key = QFileInfo(fileName).absoluteFilePath();
    QMutexLocker lock(&registryLock);
    std::unique_ptr<QMutex> &entry = locks[key];
    if (!entry)
        entry = std::make_unique<QMutex>();
    return entry.get();
}
constexpr int busyTimeoutMs = 30'000;

QString tr(const char *text)
{
    return QCoreApplication::translate("Database", text);
}

// An existing, non-empty file must carry SQLite's header before the engine
// may touch it, so that a wrong file is refused without being changed.
bool looksLikeSqlite(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return true; // the engine reports why it cannot be read
    if (file.size() == 0)
        return true;
    return file.read(16) == QByteArray("SQLite format 3\0", 16);
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

} // namespace

QString quoteIdentifier(const QString &name)
{
    return u'"' + QString(name).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

Connection::Connection(const QString &fileName)
    : m_fileName(fileName)
    , m_connectionName(QStringLiteral("korvent-%1").arg(++connectionCounter))
    , m_writeLock(writeLockOf(fileName))
{
    const QFileInfo info(fileName);
    if (info.exists() && !info.isFile())
        fail(tr("Cannot open the database file %1"), tr("it is a folder"));
    if (info.exists() && !looksLikeSqlite(fileName))
        fail(tr("Cannot open the database file %1"), tr("it is not an SQLite 3 database"));

    QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    database.setDatabaseName(fileName);
    database.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeoutMs));
    if (!database.open()) {
        const QString cause = database.lastError().text();
        database = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_connectionName);
        fail(tr("Cannot open the database file %1"), cause);
    }
    try {
        // The journal mode check also reads the file header: a damaged file fails here.
        const QString mode = scalar(QStringLiteral("PRAGMA journal_mode=WAL")).toString();
        if (mode.compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0)
            fail(tr("Cannot open the database file %1"), tr("write-ahead journal not available (%1)").arg(mode));
        exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
    } catch (...) {
        QSqlDatabase::database(m_connectionName, false).close();
        QSqlDatabase::removeDatabase(m_connectionName);
        throw;
    }
}

Connection::~Connection()
{
    if (m_holdsWriteLock)
        m_writeLock->unlock();
    {
        QSqlDatabase database = QSqlDatabase::database(m_connectionName, false);
        database.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
}

QSqlDatabase Connection::database() const
{
    return QSqlDatabase::database(m_connectionName, false);
}

void Connection::fail(const QString &what, const QString &cause) const
{
    throw KorventError(what.arg(m_fileName) + QStringLiteral(": ") + cause);
}

QSqlQuery Connection::prepare(const QString &sql)
{
    QSqlQuery query(database());
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        fail(tr("Database error in %1"), query.lastError().text() + QStringLiteral(" [") + sql + u']');
    return query;
}

void Connection::exec(QSqlQuery &prepared, const QVariantList &parameters)
{
    for (int i = 0; i < parameters.size(); ++i)
        prepared.bindValue(i, parameters.at(i));
    if (!prepared.exec())
        fail(tr("Database error in %1"), prepared.lastError().text() + QStringLiteral(" [") + prepared.lastQuery() + u']');
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

bool Connection::tableExists(const QString &table) const
{
    return database().tables(QSql::Tables).contains(table, Qt::CaseInsensitive);
}

void Connection::createTable(const TableDefinition &table)
{
    QStringList columns;
    for (const FieldDefinition &field : table.fields) {
        QString column = quoteIdentifier(field.name) + u' ' + sqlType(field);
        if (field.defaultValue.isValid())
            column += QStringLiteral(" DEFAULT ") + sqlLiteral(field.defaultValue);
        columns.append(column);
    }
    Transaction transaction(*this);
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
    transaction.commit();
}

void Connection::begin()
{
    if (!m_writeLock->tryLock(busyTimeoutMs))
        fail(tr("Database error in %1"), tr("another writer kept the database busy for %1 seconds").arg(busyTimeoutMs / 1000));
    m_holdsWriteLock = true;
    try {
        // IMMEDIATE takes SQLite's write lock at once, so a writer of another
        // process waits on the busy timeout at the start instead of failing half-way.
        exec(QStringLiteral("BEGIN IMMEDIATE"));
    } catch (...) {
        m_holdsWriteLock = false;
        m_writeLock->unlock();
        throw;
    }
}

void Connection::commit()
{
    exec(QStringLiteral("COMMIT"));
    m_holdsWriteLock = false;
    m_writeLock->unlock();
}

void Connection::rollback()
{
    const auto release = qScopeGuard([this] {
        if (m_holdsWriteLock) {
            m_holdsWriteLock = false;
            m_writeLock->unlock();
        }
    });
    exec(QStringLiteral("ROLLBACK"));
}

QString Connection::engineVersion()
{
    return scalar(QStringLiteral("SELECT sqlite_version()")).toString();
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
    m_connection.commit();
    m_done = true;
}

} // namespace db
