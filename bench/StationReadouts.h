#pragma once

// The stations' side of the readout benchmarks: readouts with real chip
// numbers, stations that send them at full speed and time every reply, and
// the check that every acknowledged readout's rows are stored.

#include "ServeStations.h"

#include "db/Connection.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QSqlQuery>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

struct Readout
{
    QString chip;
    QByteArray request; // "s ..." with CR LF
    std::vector<std::pair<qint64, qint64>> punches; // unit, seconds since midnight
    qint64 finish;      // hundredths
};

// One readout per chip: `punchCount` punches on the units, two to four minutes
// apart from 10:00, and a finish five minutes after the last.
inline std::vector<Readout> MakeReadouts(const std::vector<QString> &chips, const std::vector<qint64> &units, int punchCount)
{
    std::vector<Readout> readouts;
    quint64 state = 99;
    auto next = [&state](int n) { state = state * 6364136223846793005ULL + 1442695040888963407ULL; return static_cast<int>((state >> 33) % static_cast<quint64>(n)); };
    for (const QString &chip : chips) {
        Readout readout;
        readout.chip = chip;
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
    return readouts;
}

struct StationRun
{
    std::vector<double> latencies;  // ms per reply, of every round
    std::vector<char> acknowledged; // per readout: a reply was its "S" line
    int errors = 0;
    double seconds = 0;             // wall time of the whole run

    int acknowledgedCount() const { return static_cast<int>(std::count(acknowledged.begin(), acknowledged.end(), 1)); }
    // The latency below which the share p of the replies came, in ms.
    double percentile(double p) const
    {
        std::vector<double> sorted = latencies;
        std::sort(sorted.begin(), sorted.end());
        if (sorted.empty())
            return 0;
        return p >= 1 ? sorted.back() : sorted[std::min(sorted.size() - 1, static_cast<size_t>(p * sorted.size()))];
    }
};

// `clients` stations on loopback, each sending "si" and then its equal share
// of the readouts one after the other, each as soon as the last was answered.
// A station that has sent its share sends it again while `goOn` says so (a
// chip read again replaces its rows). Blocks until every station is done.
// `acknowledged` is told each readout (by index) whose reply was its "S" line, as it comes.
inline StationRun RunStations(quint16 port, const std::vector<Readout> &readouts, int clients,
                              const std::function<bool()> &goOn = {}, const std::function<void(size_t)> &acknowledged = {})
{
    const int each = static_cast<int>(readouts.size()) / clients;
    StationRun run;
    run.acknowledged.assign(readouts.size(), 0);
    std::mutex merging;
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
                errors += each;
                return;
            }
            socket.write("si\r\n");
            const QByteArray ok = readLine(socket, 10'000);
            if (ok != "OK\r\n") {
                std::fprintf(stderr, "station %d: si answered %s\n", c, ok.constData());
                errors += each;
                return;
            }
            std::vector<double> latencies;
            do {
                for (size_t r = static_cast<size_t>(c * each); r < static_cast<size_t>((c + 1) * each); ++r) {
                    QElapsedTimer timer;
                    timer.start();
                    socket.write(readouts[r].request);
                    const QByteArray reply = readLine(socket, 10'000);
                    latencies.push_back(timer.nsecsElapsed() / 1e6);
                    if (reply.startsWith("S " + readouts[r].chip.toLatin1() + ';')) {
                        run.acknowledged[r] = 1;
                        if (acknowledged)
                            acknowledged(r);
                    }
                    else if (++errors <= 3)
                        std::fprintf(stderr, "station %d: %s\n", c, reply.left(120).constData());
                }
            } while (goOn && goOn());
            {
                const std::lock_guard lock(merging);
                run.latencies.insert(run.latencies.end(), latencies.begin(), latencies.end());
            }
            socket.write("quit\r\n");
            if (socket.state() != QAbstractSocket::UnconnectedState)
                socket.waitForDisconnected(5000);
        });
    }
    for (std::thread &station : stations)
        station.join();
    run.seconds = wall.nsecsElapsed() / 1e9;
    run.errors = errors.load();
    return run;
}

struct StoredCheck
{
    int lost = 0;  // rows of acknowledged readouts missing
    int extra = 0; // rows of acknowledged readouts beyond theirs
};

// Each acknowledged readout's runner must hold exactly its punches and its
// finish (the benchmarks give every readout a chip of its own, without
// earlier rows).
inline StoredCheck CheckStored(db::Connection &check, const std::vector<Readout> &readouts, const StationRun &run)
{
    StoredCheck result;
    QSqlQuery perRunner = check.prepare(QStringLiteral("SELECT COUNT(*) FROM res_cp r JOIN runner u ON u.id = r.runner_id WHERE u.chipnr=?"));
    for (size_t r = 0; r < readouts.size(); ++r) {
        if (!run.acknowledged[r])
            continue;
        check.exec(perRunner, {readouts[r].chip});
        perRunner.next();
        const int stored = perRunner.value(0).toInt();
        const int expected = static_cast<int>(readouts[r].punches.size()) + 1;
        result.lost += std::max(0, expected - stored);
        result.extra += std::max(0, stored - expected);
    }
    return result;
}
