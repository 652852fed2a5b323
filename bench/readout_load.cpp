// Load on the readout server: N station clients over loopback against a
// `korvent-cli serve` process on a generated event. Each sends "si", then
// readouts of P punches with real chip numbers, and times every reply.
// Afterwards every acknowledged readout's rows are checked in the database,
// and the same rows are written by one connection (one transaction per
// readout) as the floor.
//
//   readout_load [--clients N] [--readouts N] [--punches N]

#include "ReadoutEvent.h"
#include "StationReadouts.h"

#include "store/DateTime.h"
#include "store/uData.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (printedUsage(args, "usage: readout_load [--clients N] [--readouts N] [--punches N]\n"))
        return 0;
    const int clients = option(args, "--clients", 10);
    const int readoutsEach = option(args, "--readouts", 200);
    const int punchCount = option(args, "--punches", 50);
    const int total = clients * readoutsEach;

    QTemporaryDir dir;
    const QString event = dir.path() + u'/';
    const ReadoutEvent made = MakeReadoutEvent(event, total / 3 + 1);
    const std::vector<QString> &chips = made.chips;
    const std::vector<qint64> &units = made.units;

    // The readouts: a distinct chip each.
    const std::vector<Readout> readouts = MakeReadouts(std::vector<QString>(chips.begin(), chips.begin() + total), units, punchCount);

    QProcess server;
    const quint16 port = startServe(server, dir.path(), event, {QStringLiteral("--max-connections"), QString::number(clients)});
    if (port == 0) {
        std::fprintf(stderr, "the server did not start: %s\n", server.readAllStandardError().constData());
        return 1;
    }

    const StationRun run = RunStations(port, readouts, clients);
    const double seconds = run.seconds;
    server.terminate();
    server.waitForFinished(15'000);
    {
        QFile log(serverLogFile(dir.path()));
        if (log.open(QIODevice::ReadOnly))
            for (const QByteArray &line : log.readAll().split('\n'))
                if (line.contains("exception"))
                    std::fprintf(stderr, "server: %s\n", line.constData());
    }

    // Every acknowledged readout must have exactly its punches and finish stored, and nothing else be there.
    qint64 rows = 0;
    StoredCheck stored;
    {
        db::Connection check(event + QStringLiteral("rogain.abs"));
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

    std::printf("clients %d x readouts %d x punches %d\n", clients, readoutsEach, punchCount);
    std::printf("acknowledged: %d of %d, errors: %d\n", acknowledgedCount, total, run.errors);
    std::printf("rows stored: %lld, lost: %d, extra: %d\n", static_cast<long long>(rows), lost, extra);
    std::printf("server: %.2f s, %.0f readouts/s\n", seconds, total / seconds);
    std::printf("latency ms: p50 %.2f, p99 %.2f, max %.2f\n", run.percentile(0.50), run.percentile(0.99), run.percentile(1));
    std::printf("floor (one connection, one transaction per readout): %.2f s, %.0f readouts/s\n", floorSeconds, total / floorSeconds);
    std::printf("ratio server/floor time: %.2f\n", seconds / floorSeconds);
    return run.errors == 0 && lost == 0 && extra == 0 ? 0 : 1;
}
