// Load on the readout server: N station clients over loopback against a
// `korvent-cli serve` process on a generated event. Each sends "si", then
// readouts of P punches with real chip numbers, and times every reply.
// Afterwards every acknowledged readout's rows are checked in the database,
// and the same rows are written by one connection (one transaction per
// readout) as the floor.
//
//   readout_load [--clients N] [--readouts N] [--punches N]

#include "ServeStations.h"

#include "db/Connection.h"
#include "shell/EventGenerator.h"
#include "store/DateTime.h"
#include "store/uData.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <thread>

namespace {

struct Readout
{
    QString chip;
    QByteArray request; // "s ..." with CR LF
    std::vector<std::pair<qint64, qint64>> punches; // unit, seconds since midnight
    qint64 finish;      // hundredths
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int clients = option(args, "--clients", 10);
    const int readoutsEach = option(args, "--readouts", 200);
    const int punchCount = option(args, "--punches", 50);
    const int total = clients * readoutsEach;

    QTemporaryDir dir;
    const QString event = dir.path() + u'/';
    std::vector<QString> chips;
    std::vector<qint64> units;
    {
        TdmData data(event);
        GeneratorOptions options;
        options.seed = 4;
        options.teams = total / 3 + 1;
        options.minRunners = 3;
        options.maxRunners = 3;
        options.controls = 60;
        options.visits = 1;
        GenerateEvent(data, event, options);
        data.connection().exec(QStringLiteral("DELETE FROM res_cp"));
        data.connection().exec(QStringLiteral("UPDATE runner SET started=1"));
        QSqlQuery chipRows = data.connection().exec(QStringLiteral("SELECT chipnr FROM runner ORDER BY id"));
        while (chipRows.next())
            chips.push_back(chipRows.value(0).toString());
        QSqlQuery unitRows = data.connection().exec(QStringLiteral("SELECT unitnumber FROM control WHERE type='C' ORDER BY unitnumber"));
        while (unitRows.next())
            units.push_back(unitRows.value(0).toLongLong());
    }

    // The readouts: a distinct chip each, punches two to four minutes apart from 10:00.
    std::vector<Readout> readouts;
    quint64 state = 99;
    auto next = [&state](int n) { state = state * 6364136223846793005ULL + 1442695040888963407ULL; return static_cast<int>((state >> 33) % static_cast<quint64>(n)); };
    for (int r = 0; r < total; ++r) {
        Readout readout;
        readout.chip = chips[static_cast<size_t>(r)];
        qint64 seconds = 36'000;
        QByteArray pairs;
        for (int k = 0; k < punchCount; ++k) {
            seconds += 120 + next(120);
            const qint64 unit = units[static_cast<size_t>(next(static_cast<int>(units.size())))];
            readout.punches.emplace_back(unit, seconds);
            pairs += ';' + QByteArray::number(unit) + ';' + QByteArray::number(seconds);
        }
        readout.finish = (seconds + 300) * 100;
        readout.request = "s " + readout.chip.toLatin1() + ";0;0;" + QByteArray::number(readout.finish) + ";8;"
            + QByteArray::number(punchCount) + pairs + "\r\n";
        readouts.push_back(std::move(readout));
    }

    QProcess server;
    const quint16 port = startServe(server, dir.path(), event, {QStringLiteral("--max-connections"), QString::number(clients)});
    if (port == 0) {
        std::fprintf(stderr, "the server did not start: %s\n", server.readAllStandardError().constData());
        return 1;
    }

    std::vector<double> latencies(static_cast<size_t>(total), -1);
    std::vector<char> acknowledged(static_cast<size_t>(total), 0);
    std::atomic<int> errors{0};
    QElapsedTimer wall;
    wall.start();
    std::vector<std::thread> stations;
    for (int c = 0; c < clients; ++c) {
        stations.emplace_back([&, c] {
            QTcpSocket socket;
            socket.connectToHost(QHostAddress::LocalHost, port);
            const bool connected = socket.waitForConnected(10'000);
            const QByteArray banner = connected ? readLine(socket, 10'000) : QByteArray();
            if (!banner.startsWith("K*V")) {
                std::fprintf(stderr, "station %d: no banner (%s) %s\n", c, banner.constData(), qPrintable(socket.errorString()));
                errors += readoutsEach;
                return;
            }
            socket.write("si\r\n");
            const QByteArray ok = readLine(socket, 10'000);
            if (ok != "OK\r\n") {
                std::fprintf(stderr, "station %d: si answered %s\n", c, ok.constData());
                errors += readoutsEach;
                return;
            }
            for (int r = c * readoutsEach; r < (c + 1) * readoutsEach; ++r) {
                QElapsedTimer timer;
                timer.start();
                socket.write(readouts[static_cast<size_t>(r)].request);
                const QByteArray reply = readLine(socket, 10'000);
                latencies[static_cast<size_t>(r)] = timer.nsecsElapsed() / 1e6;
                if (reply.startsWith("S " + readouts[static_cast<size_t>(r)].chip.toLatin1() + ';'))
                    acknowledged[static_cast<size_t>(r)] = 1;
                else if (++errors <= 3)
                    std::fprintf(stderr, "station %d: %s\n", c, reply.left(120).constData());
            }
            socket.write("quit\r\n");
            if (socket.state() != QAbstractSocket::UnconnectedState)
                socket.waitForDisconnected(5000);
        });
    }
    for (std::thread &station : stations)
        station.join();
    const double seconds = wall.nsecsElapsed() / 1e9;
    server.terminate();
    server.waitForFinished(15'000);
    {
        QFile log(serverLogFile(dir.path()));
        if (log.open(QIODevice::ReadOnly))
            for (const QByteArray &line : log.readAll().split('\n'))
                if (line.contains("exception"))
                    std::fprintf(stderr, "server: %s\n", line.constData());
    }

    // Every acknowledged readout must have exactly its punches and finish stored.
    int lost = 0, extra = 0;
    qint64 rows = 0;
    {
        db::Connection check(event + QStringLiteral("rogain.abs"));
        rows = check.scalar(QStringLiteral("SELECT COUNT(*) FROM res_cp")).toLongLong();
        QSqlQuery perRunner = check.prepare(QStringLiteral("SELECT COUNT(*) FROM res_cp r JOIN runner u ON u.id = r.runner_id WHERE u.chipnr=?"));
        for (int r = 0; r < total; ++r) {
            if (!acknowledged[static_cast<size_t>(r)])
                continue;
            check.exec(perRunner, {readouts[static_cast<size_t>(r)].chip});
            perRunner.next();
            const int stored = perRunner.value(0).toInt();
            lost += std::max(0, punchCount + 1 - stored);
            extra += std::max(0, stored - (punchCount + 1));
        }
    }
    const int acknowledgedCount = static_cast<int>(std::count(acknowledged.begin(), acknowledged.end(), 1));
    extra += static_cast<int>(std::max<qint64>(0, rows - static_cast<qint64>(acknowledgedCount) * (punchCount + 1)));

    // The floor: the same rows through one connection, one transaction per readout.
    double floorSeconds;
    {
        QTemporaryDir floorDir;
        TdmData floorData(floorDir.path() + u'/');
        db::Connection &connection = floorData.connection();
        QSqlQuery remove = connection.prepare(QStringLiteral("DELETE FROM res_cp WHERE runner_id=?"));
        QSqlQuery insert = connection.prepare(QStringLiteral("INSERT INTO res_cp (runner_id, team_id, KP, status, ctime, count) VALUES (?, ?, ?, ?, ?, ?)"));
        const TDateTime day = DateTime::fromDateAndTime(QDate(2026, 6, 13), QTime(0, 0));
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

    std::vector<double> sorted;
    for (double latency : latencies)
        if (latency >= 0)
            sorted.push_back(latency);
    std::sort(sorted.begin(), sorted.end());
    auto percentile = [&](double p) { return sorted.empty() ? 0.0 : sorted[std::min(sorted.size() - 1, static_cast<size_t>(p * sorted.size()))]; };

    std::printf("clients %d x readouts %d x punches %d\n", clients, readoutsEach, punchCount);
    std::printf("acknowledged: %d of %d, errors: %d\n", acknowledgedCount, total, errors.load());
    std::printf("rows stored: %lld, lost: %d, extra: %d\n", static_cast<long long>(rows), lost, extra);
    std::printf("server: %.2f s, %.0f readouts/s\n", seconds, total / seconds);
    std::printf("latency ms: p50 %.2f, p99 %.2f, max %.2f\n", percentile(0.50), percentile(0.99), sorted.empty() ? 0.0 : sorted.back());
    std::printf("floor (one connection, one transaction per readout): %.2f s, %.0f readouts/s\n", floorSeconds, total / floorSeconds);
    std::printf("ratio server/floor time: %.2f\n", seconds / floorSeconds);
    return errors.load() == 0 && lost == 0 && extra == 0 ? 0 : 1;
}
