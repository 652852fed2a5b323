#include "dataeditor/SqlRunner.h"

#include "base/KorventError.h"
#include "db/Connection.h"
#include "store/EventSchema.h"

#include <QElapsedTimer>
#include <memory>

// Lives in the runner's thread with the connection it opened there.
class SqlRunWorker : public QObject
{
public:
    SqlRunWorker(const db::DatabaseAddress &database, qint64 rowLimit, SqlRunner *runner)
        : m_database(database)
        , m_rowLimit(rowLimit)
        , m_runner(runner)
    {
    }

    void run(const QString &sql, const QVariantList &values, db::SqlAccess access)
    {
        SqlRunResult result;
        QElapsedTimer timer;
        timer.start();
        try {
            if (!m_connection)
                m_connection = std::make_unique<db::Connection>(m_database, EventTables(), EventSchemaVersion);
            std::vector<QVariantList> rows;
            result.outcome = db::RunSqlScript(*m_connection, sql, values, access, &m_runner->m_cancel,
                                              [&](const std::vector<db::SqlColumn> &, QVariantList &&row) {
                                                  if (static_cast<qint64>(rows.size()) >= m_rowLimit)
                                                      throw db::SqlError(tooManyRows(), 0, 0);
                                                  rows.push_back(std::move(row));
                                              });
            result.outcome.rows = std::move(rows);
            result.ok = true;
        } catch (const db::SqlError &error) {
            result.error = error.message();
            result.errorLine = error.line();
            result.errorColumn = error.column();
            result.changeRefused = dynamic_cast<const db::SqlChangeRefused *>(&error) != nullptr;
        } catch (const KorventError &error) {
            result.error = error.message();
        }
        result.elapsedMilliseconds = timer.elapsed();
        // Handed back to the runner's thread (dropped when the runner is gone
        // by then), where it waits the moment until this run has ended, so
        // that a run started on finished() is taken.
        QMetaObject::invokeMethod(
            m_runner,
            [runner = m_runner, result] {
                runner->wait();
                emit runner->finished(result);
            },
            Qt::QueuedConnection);
        m_runner->runEnded();
    }

private:
    QString tooManyRows() const
    {
        return SqlRunner::tr("The result has more than %L1 rows, more than this window shows; the run changed nothing. "
                             "Narrow the query (WHERE, LIMIT)").arg(m_rowLimit);
    }

    db::DatabaseAddress m_database;
    qint64 m_rowLimit;
    SqlRunner *m_runner;
    std::unique_ptr<db::Connection> m_connection;
};

SqlRunner::SqlRunner(const db::DatabaseAddress &database, qint64 rowLimit, QObject *parent)
    : QObject(parent)
    , m_worker(new SqlRunWorker(database, rowLimit, this))
{
    m_thread.setObjectName(QStringLiteral("SqlRunner"));
    m_worker->moveToThread(&m_thread);
    // The connection is closed in the thread that opened it.
    connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    m_thread.start();
}

SqlRunner::~SqlRunner()
{
    cancel();
    wait();
    m_thread.quit();
    m_thread.wait();
}

bool SqlRunner::start(const QString &sql, const QVariantList &values, db::SqlAccess access)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_running)
            return false;
        m_cancel = false;
        m_running = true;
    }
    QMetaObject::invokeMethod(m_worker, [worker = m_worker, sql, values, access] { worker->run(sql, values, access); },
                              Qt::QueuedConnection);
    return true;
}

bool SqlRunner::isRunning() const
{
    std::lock_guard lock(m_mutex);
    return m_running;
}

void SqlRunner::cancel()
{
    std::lock_guard lock(m_mutex);
    if (m_running)
        m_cancel = true;
}

void SqlRunner::wait()
{
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return !m_running; });
}

void SqlRunner::runEnded()
{
    {
        std::lock_guard lock(m_mutex);
        m_running = false;
    }
    m_idle.notify_all();
}
