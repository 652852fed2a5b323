#pragma once

// With the live results on, each stored readout is followed by the
// calculation of its team, found by its number and stored as the Calculate
// command stores it, so that the published result is the team's new one. It
// runs on a thread of its own with its own connection, after the station's
// reply: the stations never wait for it. Readouts that come while it works
// are calculated together, each team once.
// Teams read out while no live results ran (or before the program stopped
// short of their calculation) are found once at the start and calculated the
// same way.

#include <QList>
#include <QSet>
#include <QString>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class SharedEventSetup;
namespace db { class Connection; }

class LiveCalculation
{
public:
    // calculated: told the teams (by id) whose calculation was stored; failed:
    // told a team's failure (the calculation's own message).
    LiveCalculation(const QString &eventDirectory, const SharedEventSetup &setup, std::function<void(const QList<qint64> &)> calculated,
                    std::function<void(const QString &)> failed);
    // Calculates the readouts' teams asked for, then stops.
    ~LiveCalculation();
    LiveCalculation(const LiveCalculation &) = delete;
    LiveCalculation &operator=(const LiveCalculation &) = delete;

    // Returns at once.
    void follow(qint64 teamId);

private:
    void run();
    void findStaleTeams();
    // The numbers of these teams, each once.
    std::vector<qint64> numbersOf(db::Connection &connection, const QSet<qint64> &teams);

    QString m_eventDirectory;
    const SharedEventSetup &m_setup;
    std::function<void(const QList<qint64> &)> m_calculated;
    std::function<void(const QString &)> m_failed;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    QSet<qint64> m_teams;
    std::vector<qint64> m_stale; // found at the start, taken from the back
    bool m_stop = false;
    QSet<qint64> m_toldShared; // the calculating thread's own: numbers whose sharing was told
    std::thread m_thread;
    std::thread m_staleScan;
};
