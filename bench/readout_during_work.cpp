// Readouts during long work: N stations at full speed on a generated event of
// many teams, in three cases:
//   alone            against a `korvent-cli serve` process, nothing else running;
//   other processes  the same, while `korvent-cli calculate --all` and the web
//                    results with route maps run in processes of their own,
//                    started once the stations are going and again and again
//                    until the stations are done;
//   serving process  the readout server in this process, with the same long
//                    work on a thread of its own with its own connection, as
//                    the main window runs it beside its server.
// Each case reads out chips of its own (their earlier punches removed), prints
// the reply times and checks that every acknowledged readout's rows are
// stored. With long work, the stations read their chips again and again until
// at least one run of each kind of work has finished, so that the reply times
// cover the whole of it. The serving-process case also gives the
// calculation's longest hold of the writer lock.
//
// Generating the event takes most of a run's time: with --event-dir the event
// is made in DIR once and used again by later runs with the same --teams.
//
//   readout_during_work [--teams N] [--clients N] [--readouts N] [--punches N]
//                       [--no-calculation] [--no-report] [--event-dir DIR]

#include "BenchEvent.h"
#include "StationReadouts.h"

#include "base/MessageSink.h"
#include "base/Platform.h"
#include "base/WorkProgress.h"
#include "readout/ReadoutServer.h"
#include "reports/ClassGroup.h"
#include "output/ReportFileOutput.h"
#include "registry/ReportRegistry.h"
#include "scoring/TeamCalculation.h"
#include "store/EventLocation.h"
#include "store/EventSettings.h"
#include "store/EventSetup.h"
#include "store/uData.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <exception>
#include <functional>
#include <thread>

namespace {

struct QuietSink : MessageSink
{
    void error(const QString &) override {}
    void warning(const QString &) override {}
};

// The long work stops between teams once the stations are done.
struct StopWhen : WorkProgress
{
    const std::atomic<bool> &done;
    explicit StopWhen(const std::atomic<bool> &flag) : done(flag) {}
    void step(const QString &, qint64, qint64) override {}
    bool cancelled() const override { return done.load(); }
};

struct WorkCount
{
    std::atomic<int> calculations{0};
    std::atomic<int> reports{0};
    std::atomic<int> failures{0};
    double longestHoldMs = 0; // of the calculations in this process
    int teamsOfStoppedRun = -1; // teams the calculation had written when the stations were done
};

void printCase(const char *name, const std::vector<Readout> &readouts, const StationRun &run, const StoredCheck &stored, const WorkCount *work)
{
    std::printf("== %s\n", name);
    std::printf("readouts: %d acknowledged of %zu, %d errors; rows lost %d, extra %d\n", run.acknowledgedCount(), readouts.size(), run.errors,
                stored.lost, stored.extra);
    std::printf("stations: %.2f s, %zu replies, %.0f readouts/s\n", run.seconds, run.latencies.size(), run.latencies.size() / run.seconds);
    std::printf("readout ms: p50 %.1f, p99 %.1f, max %.1f\n", run.percentile(0.50), run.percentile(0.99), run.percentile(1));
    if (work) {
        std::printf("long work meanwhile: %d calculations and %d reports finished, %d failed\n", work->calculations.load(),
                    work->reports.load(), work->failures.load());
        if (work->longestHoldMs > 0)
            std::printf("calculation's longest writer-lock hold: %.1f ms\n", work->longestHoldMs);
        if (work->teamsOfStoppedRun >= 0)
            std::printf("the calculation running when the stations were done had written %d teams\n", work->teamsOfStoppedRun);
    }
    std::fflush(stdout);
}

// Runs `command` of korvent-cli again and again until `done`; a run still
// going then is killed (what its batches committed stays).
void repeatCommand(const QString &event, const QStringList &command, const std::atomic<bool> &done, std::atomic<int> &finished,
                   std::atomic<int> &failures)
{
    while (!done) {
        QProcess process;
        process.setStandardOutputFile(QProcess::nullDevice());
        // A file, not a pipe: nobody reads a pipe while the command runs.
        const QString errors = event + command.first() + QStringLiteral(".err");
        process.setStandardErrorFile(errors);
        process.start(QStringLiteral(KORVENT_CLI_PATH), QStringList{QStringLiteral("--event"), event} + command);
        process.waitForStarted(10'000);
        while (!process.waitForFinished(20))
            if (done || process.state() == QProcess::NotRunning)
                break;
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(10'000);
        } else if (process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0) {
            ++finished;
        } else {
            // Said once and not tried again: a failing command would only start processes in a loop.
            QFile said(errors);
            said.open(QIODevice::ReadOnly);
            std::fprintf(stderr, "%s: %s\n", qPrintable(command.join(u' ')), said.readAll().trimmed().left(300).constData());
            ++failures;
            return;
        }
    }
}

// The stations go on until every kind of long work asked for has finished
// once, or one has failed; ten minutes at most.
std::function<bool()> untilFinishedOnce(const WorkCount &work, bool calculating, bool reporting)
{
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    return [&work, calculating, reporting, clock] {
        const bool waiting = (calculating && work.calculations == 0) || (reporting && work.reports == 0);
        return waiting && work.failures == 0 && clock->elapsed() < 600'000;
    };
}

// The stations run on a thread while this thread serves events (the readout
// server of this process lives here) until they are done.
StationRun runStationsWhile(quint16 port, const std::vector<Readout> &readouts, int clients, std::atomic<bool> &done,
                            const std::function<void()> &startWork, const std::function<bool()> &goOn = {})
{
    StationRun run;
    std::thread stations([&] {
        run = RunStations(port, readouts, clients, goOn);
        done = true;
    });
    // The long work begins once the stations are going.
    QEventLoop loop;
    QTimer::singleShot(200, &loop, [&] { startWork(); });
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done)
            loop.quit();
    });
    poll.start(10);
    loop.exec();
    stations.join();
    return run;
}

} // namespace

int main(int argc, char *argv[])
{
    Platform::useOffscreenPlatform();
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (printedUsage(args, "usage: readout_during_work [--teams N] [--clients N] [--readouts N] [--punches N]\n"
                           "                           [--no-calculation] [--no-report] [--event-dir DIR]\n"))
        return 0;
    const int teams = option(args, "--teams", 10'000);
    const int clients = option(args, "--clients", 10);
    const int readoutsEach = option(args, "--readouts", 200);
    const int punchCount = option(args, "--punches", 50);
    const int perCase = clients * readoutsEach;
    // Either part of the long work can be left out, to see what the other costs alone.
    const bool calculating = !args.contains(QStringLiteral("--no-calculation"));
    const bool reporting = !args.contains(QStringLiteral("--no-report"));

    QTemporaryDir dir;
    const qsizetype eventDirAt = args.indexOf(QLatin1String("--event-dir"));
    const QString eventHome = eventDirAt >= 0 && eventDirAt + 1 < args.size() ? QDir(args[eventDirAt + 1]).absolutePath() : dir.path();
    EventLocation location;
    location.program = ProgramFiles::inProgramDirectory(dir.path() + u'/');
    location.eventDirectory = eventHome + QStringLiteral("/event/");
    location.resultsDirectory = location.eventDirectory + QStringLiteral("results/");
    location.confirmed = true;
    const QString event = location.eventDirectory;

    std::vector<QString> chips;
    std::vector<qint64> units;
    {
        QElapsedTimer timer;
        timer.start();
        const bool reused = QFile::exists(event + QStringLiteral("rogain.abs"));
        if (!reused) {
            // Made beside and renamed when whole: an event left half made by a killed run is never used.
            const QString making = eventHome + QStringLiteral("/event.making/");
            QDir(making).removeRecursively();
            QDir().mkpath(making);
            {
                TdmData data(making);
                GenerateEvent(data, making, BenchEventOptions(teams));
            }
            EventSettings::update(making, [](EventSettings &settings) {
                settings.teamRouteMaps = true;
                settings.resultHeader = QStringLiteral("NON");
            });
            if (!QDir().rename(making, event)) {
                std::fprintf(stderr, "cannot rename %s to %s\n", qPrintable(making), qPrintable(event));
                return 1;
            }
        }
        QDir().mkpath(location.resultsDirectory);
        const double making = timer.nsecsElapsed() / 1e9;
        TdmData data(event);
        const int eventTeams = data.connection().firstRow(QStringLiteral("SELECT COUNT(*) FROM team"))->value(0).toInt();
        const int runners = data.connection().firstRow(QStringLiteral("SELECT COUNT(*) FROM runner"))->value(0).toInt();
        if (eventTeams != teams) {
            std::fprintf(stderr, "the event in %s has %d teams, not %d: give --teams %d or another --event-dir\n", qPrintable(event),
                         eventTeams, teams, eventTeams);
            return 1;
        }
        if (runners < 3 * perCase) {
            std::fprintf(stderr, "%d runners are too few for three cases of %d readouts\n", runners, perCase);
            return 1;
        }
        // The stations' chips: runners spread over the whole event, their earlier punches gone.
        const int step = runners / (3 * perCase);
        QSqlQuery chipRows = data.connection().exec(QStringLiteral("SELECT id, chipnr FROM runner ORDER BY id"));
        std::vector<qint64> chipRunners;
        for (int i = 0; chipRows.next(); ++i)
            if (i % step == 0 && static_cast<int>(chips.size()) < 3 * perCase) {
                chipRunners.push_back(chipRows.value(0).toLongLong());
                chips.push_back(chipRows.value(1).toString());
            }
        {
            db::Transaction transaction(data.connection());
            QSqlQuery remove = data.connection().prepare(QStringLiteral("DELETE FROM res_cp WHERE runner_id=?"));
            for (const qint64 runner : chipRunners)
                data.connection().exec(remove, {runner});
            transaction.commit();
        }
        QSqlQuery unitRows = data.connection().exec(QStringLiteral("SELECT unitnumber FROM control WHERE type='C' ORDER BY unitnumber"));
        while (unitRows.next())
            units.push_back(unitRows.value(0).toLongLong());
        QuietSink quiet;
        const CalculationSummary summary = TeamCalculation(data, std::make_shared<const EventSetup>(EventSetup::load(event)), quiet).CalculateAllTeams(true);
        const qint64 punches = data.connection().firstRow(QStringLiteral("SELECT COUNT(*) FROM res_cp"))->value(0).toLongLong();
        std::printf("event: %d teams, %d runners, %lld punches; %d with result; %s in %.1f s, calculated in %.1f s\n", eventTeams, runners,
                    static_cast<long long>(punches), summary.withResult, reused ? "reused" : "generated", making,
                    timer.nsecsElapsed() / 1e9 - making);
        std::printf("stations: %d x %d readouts of %d punches a case\n", clients, readoutsEach, punchCount);
        std::fflush(stdout);
    }
    const std::vector<Readout> all = MakeReadouts(chips, units, punchCount);
    auto caseReadouts = [&](int c) { return std::vector<Readout>(all.begin() + c * perCase, all.begin() + (c + 1) * perCase); };
    const QStringList calculate{QStringLiteral("calculate"), QStringLiteral("--all")};
    const QStringList webResults{QStringLiteral("report"), QStringLiteral("results-web")};
    bool allStored = true;

    // Alone, and with the long work in other processes: a `korvent-cli serve` process each.
    for (const bool withWork : {false, true}) {
        const std::vector<Readout> readouts = caseReadouts(withWork ? 1 : 0);
        QProcess server;
        const quint16 port = startServe(server, dir.path(), event, {QStringLiteral("--max-connections"), QString::number(clients)});
        if (port == 0) {
            std::fprintf(stderr, "the server did not start: %s\n", server.readAllStandardError().constData());
            return 1;
        }
        std::atomic<bool> done{false};
        WorkCount work;
        std::vector<std::thread> workers;
        const StationRun run = runStationsWhile(port, readouts, clients, done, [&] {
            if (withWork && calculating)
                workers.emplace_back(repeatCommand, event, calculate, std::cref(done), std::ref(work.calculations), std::ref(work.failures));
            if (withWork && reporting)
                workers.emplace_back(repeatCommand, event, webResults, std::cref(done), std::ref(work.reports), std::ref(work.failures));
        }, withWork ? untilFinishedOnce(work, calculating, reporting) : std::function<bool()>());
        for (std::thread &worker : workers)
            worker.join();
        server.terminate();
        server.waitForFinished(15'000);
        db::Connection check(event + QStringLiteral("rogain.abs"));
        const StoredCheck stored = CheckStored(check, readouts, run);
        allStored = allStored && run.errors == 0 && stored.lost == 0 && stored.extra == 0;
        printCase(withWork ? "long work in other processes" : "alone", readouts, run, stored, withWork ? &work : nullptr);
    }

    // The long work on a thread of the serving process, as the window runs it.
    {
        const std::vector<Readout> readouts = caseReadouts(2);
        SharedEventSetup setup(event);
        ReadoutServer server(event, setup);
        server.start(0, clients);
        std::atomic<bool> done{false};
        WorkCount work;
        std::thread worker;
        const StationRun run = runStationsWhile(server.port(), readouts, clients, done, [&] {
            worker = std::thread([&] {
                // At the usual priority, as the window runs a calculation: a
                // thread that takes the writer lock must never be lowered, or
                // the readouts wait for it while it waits for a core.
                TdmData data(event);
                QuietSink quiet;
                StopWhen stop(done);
                const auto calculateAll = [&] {
                    const CalculationSummary summary = TeamCalculation(data, setup.snapshot(), quiet).CalculateAllTeams(true, stop);
                    work.longestHoldMs = std::max(work.longestHoldMs, summary.longestWriteMs);
                    if (!summary.cancelled)
                        ++work.calculations;
                    else
                        work.teamsOfStoppedRun = summary.calculated;
                };
                const auto webResults = [&] {
                    // On a thread of its own at a lower priority, as the window makes a report.
                    std::exception_ptr failure;
                    std::thread report([&] {
                        Platform::lowerThreadPriority();
                        try {
                            TdmData reportData(event);
                            const std::shared_ptr<const EventSetup> now = setup.snapshot();
                            ReportRequest request;
                            request.classes = MainClassNames(now->classTree);
                            ReportFileOutput output(location);
                            RunReport(ReportKindOf(ReportKind::ResultsWeb),
                                      {reportData.connection(), *now, output, &quiet, event, &location}, request);
                        } catch (...) {
                            failure = std::current_exception();
                        }
                    });
                    report.join();
                    if (failure)
                        std::rethrow_exception(failure);
                    ++work.reports;
                };
                while (!done && (calculating || reporting)) {
                    try {
                        if (calculating)
                            calculateAll();
                        if (reporting && !done)
                            webResults();
                    } catch (const KorventError &error) {
                        std::fprintf(stderr, "long work: %s\n", qPrintable(error.message()));
                        ++work.failures;
                    }
                }
            });
        }, untilFinishedOnce(work, calculating, reporting));
        if (worker.joinable())
            worker.join();
        server.StopServer();
        db::Connection check(event + QStringLiteral("rogain.abs"));
        const StoredCheck stored = CheckStored(check, readouts, run);
        allStored = allStored && run.errors == 0 && stored.lost == 0 && stored.extra == 0;
        printCase("long work in the serving process", readouts, run, stored, &work);
    }
    return allStored ? 0 : 1;
}
