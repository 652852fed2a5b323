#pragma once

// Runs the data editor's statements on a connection of their own in a thread
// of their own, so that a long query leaves the window and the readout free.
// The outcome comes back through finished() on the thread that started it.
// A running statement can be stopped (cancel) or waited for (wait).

#include "db/DatabaseAddress.h"
#include "db/SqlScript.h"

#include <QObject>
#include <QString>
#include <QThread>
#include <atomic>
#include <condition_variable>
#include <mutex>

struct SqlRunResult
{
    bool ok = false;
    db::SqlOutcome outcome;
    QString error;       // the engine's message, with the place it names
    int errorLine = 0;   // from 1; 0 when the error names no place
    int errorColumn = 0;
    bool changeRefused = false; // a read-only run met a statement that would change data
    qint64 elapsedMilliseconds = 0;
};

class SqlRunWorker;

class SqlRunner : public QObject
{
    Q_OBJECT

public:
    // The rows a result may hold: more would fill the memory of the computer
    // that also serves the readout, and no one reads them in a grid.
    static constexpr qint64 defaultRowLimit = 1'000'000;

    // The statements run on the event's database; its connection is opened at the
    // first run. A result of more than rowLimit rows stops its run with an error.
    explicit SqlRunner(const db::DatabaseAddress &database, qint64 rowLimit = defaultRowLimit, QObject *parent = nullptr);
    // Stops a running statement and waits for it.
    ~SqlRunner() override;

    // Starts a run; false when one is still running.
    bool start(const QString &sql, const QVariantList &values, db::SqlAccess access);
    bool isRunning() const;
    // Stops the running statement at the engine's next step; what the run changed is rolled back.
    void cancel();
    // Blocks until the running statement has ended (finished() follows through the event loop).
    void wait();

signals:
    void finished(const SqlRunResult &result);

private:
    friend class SqlRunWorker;
    void runEnded();

    QThread m_thread;
    SqlRunWorker *m_worker;
    std::atomic<bool> m_cancel{false};
    mutable std::mutex m_mutex;
    std::condition_variable m_idle;
    bool m_running = false;
};
