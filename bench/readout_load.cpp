// Load on the readout server: N station clients over loopback against a
// `korvent-cli serve` process on a generated event. Each sends "si", then
// readouts of P punches with real chip numbers, and times every reply.
// Afterwards every acknowledged readout's rows are checked in the database,
// and the same rows are written by one connection (one transaction per
// readout) as the floor. With --server the event is kept in an empty database
// on a PostgreSQL server, served by --serves processes at once (the stations
// shared among them).
//
//   readout_load [--clients N] [--readouts N] [--punches N] [--server postgresql://USER@HOST/DB] [--serves N]

#include "ReadoutEvent.h"
#include "StationReadouts.h"

#include "store/DateTime.h"
#include "store/uData.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <thread>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (printedUsage(args, "usage: readout_load [--clients N] [--readouts N] [--punches N] [--server postgresql://USER@HOST/DB] [--serves N]\n"))
        return 0;
    const qsizetype serverAt = args.indexOf(QLatin1String("--server"));
    const QString serverAddress = serverAt >= 0 && serverAt + 1 < args.size() ? args[serverAt + 1] : QString();
    const int serves = std::max(1, option(args, "--serves", 1));
    const int clients = option(args, "--clients", 10);
    const int readoutsEach = option(args, "--readouts", 200);
    const int punchCount = option(args, "--punches", 50);
    const int total = clients * readoutsEach;

    QTemporaryDir dir;
    const QString event = dir.path() + u'/';
    const ReadoutEvent made = MakeReadoutEvent(event, total / 3 + 1, serverAddress);
    const std::vector<QString> &chips = made.chips;
    const std::vector<qint64> &units = made.units;

    // The readouts: a distinct chip each.
    const std::vector<Readout> readouts = MakeReadouts(std::vector<QString>(chips.begin(), chips.begin() + total), units, punchCount);

    // Each serve process gets its folder for its log, its share of the stations and of the readouts.
    std::vector<std::unique_ptr<QProcess>> servers;
    std::vector<quint16> ports;
    for (int k = 0; k < serves; ++k) {
        const QString folder = dir.path() + QStringLiteral("/serve%1").arg(k);
        QDir().mkpath(folder);
        servers.push_back(std::make_unique<QProcess>());
        const quint16 port = startServe(*servers.back(), folder, event, {QStringLiteral("--max-connections"), QString::number(clients)});
        if (port == 0) {
            std::fprintf(stderr, "the server did not start: %s\n", servers.back()->readAllStandardError().constData());
            return 1;
        }
        ports.push_back(port);
    }

    const size_t share = readouts.size() / static_cast<size_t>(serves);
    std::vector<StationRun> runs(static_cast<size_t>(serves));
    {
        std::vector<std::thread> stations;
        for (int k = 0; k < serves; ++k)
            stations.emplace_back([&, k] {
                const auto from = readouts.begin() + static_cast<qsizetype>(share * static_cast<size_t>(k));
                runs[static_cast<size_t>(k)] = RunStations(ports[static_cast<size_t>(k)], std::vector<Readout>(from, from + static_cast<qsizetype>(share)),
                                                           clients / serves);
            });
        for (std::thread &station : stations)
            station.join();
    }
    StationRun run;
    for (const StationRun &part : runs) {
        run.latencies.insert(run.latencies.end(), part.latencies.begin(), part.latencies.end());
        run.acknowledged.insert(run.acknowledged.end(), part.acknowledged.begin(), part.acknowledged.end());
        run.errors += part.errors;
        run.seconds = std::max(run.seconds, part.seconds);
    }
    // Readouts no share took (a remainder) count as not acknowledged.
    run.acknowledged.resize(readouts.size(), 0);
    const double seconds = run.seconds;
    for (int k = 0; k < serves; ++k) {
        servers[static_cast<size_t>(k)]->terminate();
        servers[static_cast<size_t>(k)]->waitForFinished(15'000);
        QFile log(serverLogFile(dir.path() + QStringLiteral("/serve%1").arg(k)));
        if (log.open(QIODevice::ReadOnly))
            for (const QByteArray &line : log.readAll().split('\n'))
                if (line.contains("exception"))
                    std::fprintf(stderr, "server: %s\n", line.constData());
    }

    // Every acknowledged readout must have exactly its punches and finish stored, and nothing else be there.
    qint64 rows = 0;
    StoredCheck stored;
    {
        db::Connection check(EventDatabaseAddress(event));
        rows = check.scalar(QStringLiteral("SELECT COUNT(*) FROM res_cp")).toLongLong();
        stored = CheckStored(check, readouts, run);
    }
    const int acknowledgedCount = run.acknowledgedCount();
    const int lost = stored.lost;
    const int extra = stored.extra + static_cast<int>(std::max<qint64>(0, rows - static_cast<qint64>(acknowledgedCount) * (punchCount + 1)));

    // The floor: the same rows through one connection, one transaction per readout.
    double floorSeconds;
    {
        QTemporaryDir floorDir;
        TdmData floorData(floorDir.path() + u'/');
        db::Connection &connection = floorData.connection();
        QSqlQuery remove = connection.prepare(QStringLiteral("DELETE FROM res_cp WHERE runner_id=?"));
        QSqlQuery insert = connection.prepare(QStringLiteral("INSERT INTO res_cp (runner_id, team_id, KP, status, ctime, count) VALUES (?, ?, ?, ?, ?, ?)"));
        const SerialDateTime day = DateTime::fromDateAndTime(QDate(2026, 6, 13), QTime(0, 0));
        QElapsedTimer timer;
        timer.start();
        for (int r = 0; r < total; ++r) {
            const Readout &readout = readouts[static_cast<size_t>(r)];
            db::Transaction transaction(connection);
            connection.exec(remove, {r});
            for (const auto &[unit, at] : readout.punches)
                connection.exec(insert, {r, r / 3, QString::number(unit), 8, DateTime::toStored(day + at / 86'400.0), 10});
            connection.exec(insert, {r, r / 3, QStringLiteral("F"), 8, DateTime::toStored(day + readout.finish / 8'640'000.0), 0});
            transaction.commit();
        }
        floorSeconds = timer.nsecsElapsed() / 1e9;
    }

    std::printf("clients %d x readouts %d x punches %d, %d serve process(es) on %s\n", clients, readoutsEach, punchCount, serves,
                serverAddress.isEmpty() ? "the folder's SQLite file" : qPrintable(serverAddress));
    std::printf("acknowledged: %d of %d, errors: %d\n", acknowledgedCount, total, run.errors);
    std::printf("rows stored: %lld, lost: %d, extra: %d\n", static_cast<long long>(rows), lost, extra);
    std::printf("server: %.2f s, %.0f readouts/s\n", seconds, total / seconds);
    std::printf("latency ms: p50 %.2f, p99 %.2f, max %.2f\n", run.percentile(0.50), run.percentile(0.99), run.percentile(1));
    std::printf("floor (one connection, one transaction per readout): %.2f s, %.0f readouts/s\n", floorSeconds, total / floorSeconds);
    std::printf("ratio server/floor time: %.2f\n", seconds / floorSeconds);
    return run.errors == 0 && lost == 0 && extra == 0 ? 0 : 1;
}
