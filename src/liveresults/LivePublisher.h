#pragma once

// Keeps the live site up to date on a thread of its own with its own
// connection to the event, which only reads: it never takes the writer lock.
// Each build reads one snapshot of the event. The first makes every page;
// afterwards only the classes of changed teams are built again (their results
// and splits pages, their teams' JSON documents, the changed teams' pages and
// route maps; the other teams' pages, whose places may have moved, follow
// once the changes pause). Changes of
// this process are told (teamsChanged) and built at once; those of other
// programs are found by polling the database's data version and comparing
// every team's row, runners and punches, at most once a second. A change of
// the settings, the class tree or the course builds the whole site again.

#include "store/EventLocation.h"

#include <QElapsedTimer>
#include <QHash>
#include <QJsonObject>
#include <QMutex>
#include <QSet>
#include <QString>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "liveresults/LiveChanges.h"
#include "liveresults/LiveSite.h"
#include "reports/ResultsReport.h"

struct EventSetup;
class SharedEventSetup;
class TdmData;

class LivePublisher
{
public:
    // report: told each new problem (see problem()), from the publishing thread.
    LivePublisher(const EventLocation &location, const SharedEventSetup &setup, LiveSite &site, std::function<void(const QString &)> report);
    // Stops after the build under way.
    ~LivePublisher();
    LivePublisher(const LivePublisher &) = delete;
    LivePublisher &operator=(const LivePublisher &) = delete;

    void start();
    // These teams (by id) changed in this process: their classes are built again at once.
    void teamsChanged(const QList<qint64> &teamIds);
    // Why the last build left something out (a class whose pages cannot be
    // made, a database that cannot be read); empty when it did not.
    QString problem() const;

    static constexpr int pollMs = 200;  // the data version is looked at this often
    static constexpr int scanMs = 1000; // other programs' changes are looked for at most this often
    // ... and no sooner than this many times the last look took: on a large
    // event the look costs a second of processor, which it takes a share of.
    static constexpr int scanSpacingFactor = 2;
    // Builds begin no closer than this: readouts coming in one after the
    // other are built together. The thread runs at a low priority, so the
    // stations have the processor first.
    static constexpr int buildSpacingMs = 250;
    // ... and no sooner than this many times the processor time the last build took.
    static constexpr int buildSpacingFactor = 2;
    // Other programs' changes are looked for this seldom while this
    // process's readouts come in (the readouts' teams are told).
    static constexpr int busyScanMs = 3000;
    // A class built for a changed team gets that team's page at once; the
    // pages of its other teams (their places may have moved) once nothing
    // changed for a while, and at the latest after this long.
    static constexpr int settleQuietMs = 1000;
    static constexpr int settleLatestMs = 10'000;

private:
    struct Build;
    void run();
    void cycle(TdmData &data, const QSet<qint64> &told);
    // classes: the main classes to build, or team classes marked by a leading
    // \x1f; all when none. changedTeams: the teams (by id) whose punches or
    // runners may have changed since the last build.
    // allTeamPages: every team page of the classes, not only the changed teams'.
    void build(TdmData &data, const std::shared_ptr<const EventSetup> &setup, const QSet<QString> *classes, const QSet<qint64> &changedTeams,
               bool allTeamPages);
    void setProblem(const QString &problem);

    EventLocation m_location;
    const SharedEventSetup &m_setup;
    LiveSite &m_site;
    std::function<void(const QString &)> m_report;
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    QSet<qint64> m_told; // under m_mutex
    mutable QMutex m_problemLock;
    QString m_problem;

    // The publishing thread's own.
    std::shared_ptr<const EventSetup> m_builtSetup;
    qint64 m_dataVersion = -1;
    QElapsedTimer m_sinceScan;
    qint64 m_lastScanMs = 0;
    QElapsedTimer m_sinceBuild;
    qint64 m_lastBuildMs = 0; // processor time
    QElapsedTimer m_sinceTold; // since this process last told a change
    QSet<QString> m_unsettled;      // classes whose other teams' pages wait
    QElapsedTimer m_sinceUnsettled; // since the oldest of them waits
    QString m_course;
    QHash<qint64, TeamState> m_teams;             // as last scanned
    QHash<qint64, QString> m_mainClassOfTeam;      // as last built
    QHash<QString, QSet<QString>> m_pathsOfClass; // what each class's build published
    QHash<QString, QByteArray> m_content;         // each path's content before framing
    QHash<qint64, QJsonObject> m_teamDetails;     // runners and punches by team id, until the team changes
    struct TeamDocument
    {
        QJsonObject row; // the team's fields with its place
        QByteArray bytes;
    };
    QHash<qint64, TeamDocument> m_teamDocuments; // each team's /api/team document, until the team changes
    QString m_sheetProblem;                       // no style sheet could be read at the last whole build
    QSet<QString> m_classesWithoutPage;           // main classes whose results page cannot be made
    QSet<qint64> m_sharedNumbers;                 // the team numbers several teams had at the last build
    TeamWorkCache m_teamWork;                     // the report runs' work per team, until the team changes
    quint64 m_version = 0;
};
