#pragma once

#include <QElapsedTimer>
#include <QFile>
#include <QTimer>
#include <algorithm>

// The longest the window thread's event loop went without a turn, beating
// every 10 ms. A shared machine stops a thread now and then for reasons of
// its own: the time the host took the processors (steal) and the thread
// waited for one is not the loop's doing and is left out.
class LoopBeat
{
public:
    LoopBeat()
    {
        m_clock.start();
        m_last = {0, stalledMs()};
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const Beat now{m_clock.elapsed(), stalledMs()};
            m_longestGap = std::max(m_longestGap, now.at - m_last.at);
            m_longestBlock = std::max(m_longestBlock, (now.at - m_last.at) - (now.stalled - m_last.stalled));
            m_last = now;
        });
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.start(10);
    }
    qint64 longestGap() const { return m_longestGap; }
    qint64 longestBlock() const { return m_longestBlock; }

private:
    struct Beat
    {
        qint64 at;
        qint64 stalled;
    };

    // Steal of all processors (/proc/stat, in hundredths of a second) and
    // this thread's wait for a processor (/proc/thread-self/schedstat, in ns).
    static qint64 stalledMs()
    {
        qint64 ms = 0;
        QFile stat(QStringLiteral("/proc/stat"));
        if (stat.open(QIODevice::ReadOnly)) {
            const QList<QByteArray> fields = stat.readLine().simplified().split(' ');
            if (fields.size() > 8)
                ms += fields[8].toLongLong() * 10;
        }
        QFile schedule(QStringLiteral("/proc/thread-self/schedstat"));
        if (schedule.open(QIODevice::ReadOnly)) {
            const QList<QByteArray> fields = schedule.readAll().simplified().split(' ');
            if (fields.size() > 1)
                ms += fields[1].toLongLong() / 1'000'000;
        }
        return ms;
    }

    QElapsedTimer m_clock;
    QTimer m_timer;
    Beat m_last;
    qint64 m_longestGap = 0;
    qint64 m_longestBlock = 0;
};
