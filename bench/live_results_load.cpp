// The live results beside the stations: N stations at full speed against a
// `korvent-cli serve` process on a generated event, once without HTTP and
// once with `--http` while H browsers (each from an address of its own on
// loopback, as phones on the event network) fetch a class page every second.
// Prints the reply times of both runs and their p99 ratio, the freshness
// (readout acknowledged until its runner's finish is in /api/team/N) and the
// HTTP requests served per second. Each run has an event of its own.
//
//   live_results_load [--clients N] [--readouts N] [--punches N] [--browsers N]

#include "ReadoutEvent.h"
#include "StationReadouts.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QUrl>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>

namespace {

using Clock = std::chrono::steady_clock;

// One GET on a kept-alive connection; the body, or nullopt when it failed.
std::optional<QByteArray> get(QTcpSocket &socket, const QByteArray &target, bool keepAlive)
{
    socket.write("GET " + target + " HTTP/1.1\r\nHost: bench\r\n" + (keepAlive ? QByteArray() : QByteArray("Connection: close\r\n")) + "\r\n");
    QByteArray bytes;
    qsizetype end = -1;
    while ((end = bytes.indexOf("\r\n\r\n")) < 0) {
        if (!socket.waitForReadyRead(10'000))
            return std::nullopt;
        bytes += socket.readAll();
    }
    if (!bytes.startsWith("HTTP/1.1 200"))
        return std::nullopt;
    const QByteArray headers = bytes.left(end).toLower();
    const qsizetype at = headers.indexOf("content-length: ");
    const qsizetype length = at < 0 ? 0 : headers.mid(at + 16, headers.indexOf('\r', at) - at - 16).toLongLong();
    QByteArray body = bytes.mid(end + 4);
    while (body.size() < length) {
        if (!socket.waitForReadyRead(10'000))
            return std::nullopt;
        body += socket.readAll();
    }
    return body;
}

struct Browsing
{
    std::atomic<bool> stop{false};
    std::atomic<quint64> pages{0};
    std::atomic<quint64> failures{0};
};

// A browser from 127.0.0.<address> fetching the page once a second on one connection.
void browse(quint16 port, int address, const QByteArray &target, Browsing &browsing)
{
    std::unique_ptr<QTcpSocket> socket;
    auto next = Clock::now();
    while (!browsing.stop) {
        if (!socket || socket->state() != QAbstractSocket::ConnectedState) {
            socket = std::make_unique<QTcpSocket>();
            socket->bind(QHostAddress(QStringLiteral("127.0.0.%1").arg(address)));
            socket->connectToHost(QHostAddress::LocalHost, port);
            if (!socket->waitForConnected(5000)) {
                ++browsing.failures;
                std::this_thread::sleep_for(std::chrono::milliseconds(200));
                continue;
            }
        }
        if (get(*socket, target, true))
            ++browsing.pages;
        else {
            ++browsing.failures;
            socket.reset();
        }
        next += std::chrono::seconds(1);
        std::this_thread::sleep_until(next);
    }
}

struct Owner
{
    qint64 team = 0;
    QString firstname, lastname;
};

// Takes the latest acknowledged readout whenever it is free and asks for its
// team's document until the runner's finish is there; the time from the
// acknowledgement is that readout's freshness.
class FreshnessProbe
{
public:
    FreshnessProbe(quint16 port, const std::vector<Owner> &owners) : m_port(port), m_owners(owners), m_thread([this] { run(); }) {}
    ~FreshnessProbe()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }
    void acknowledged(size_t readout)
    {
        {
            const std::lock_guard lock(m_mutex);
            m_latest = {readout, Clock::now()};
        }
        m_wake.notify_all();
    }
    std::vector<double> freshness() const { return m_freshness; }
    int late() const { return m_late; }

private:
    void run()
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [this] { return m_stop || m_latest; });
            if (m_stop)
                return;
            const auto [readout, at] = *std::exchange(m_latest, std::nullopt);
            lock.unlock();
            const Owner &owner = m_owners[readout];
            const QByteArray target = "/api/team/" + QByteArray::number(owner.team);
            bool seen = false;
            while (!seen && Clock::now() - at < std::chrono::seconds(10)) {
                QTcpSocket socket;
                socket.bind(QHostAddress(QStringLiteral("127.0.0.200")));
                socket.connectToHost(QHostAddress::LocalHost, m_port);
                if (socket.waitForConnected(5000))
                    if (const std::optional<QByteArray> body = get(socket, target, false))
                        for (const QJsonValue runner : QJsonDocument::fromJson(*body).object()[QStringLiteral("runners")].toArray())
                            if (runner[QStringLiteral("firstname")].toString() == owner.firstname
                                && runner[QStringLiteral("lastname")].toString() == owner.lastname && !runner[QStringLiteral("finish")].isNull())
                                seen = true;
                if (!seen)
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            if (seen)
                m_freshness.push_back(std::chrono::duration<double, std::milli>(Clock::now() - at).count());
            else
                ++m_late;
            lock.lock();
        }
    }

    quint16 m_port;
    const std::vector<Owner> &m_owners;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::optional<std::pair<size_t, Clock::time_point>> m_latest;
    bool m_stop = false;
    std::vector<double> m_freshness;
    int m_late = 0;
    std::thread m_thread;
};

double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, static_cast<size_t>(p * values.size()))];
}

// The port of "Live results on http://ADDRESS:PORT/" in the server's log; 0 when none came.
quint16 httpPort(const QString &folder)
{
    for (int wait = 0; wait < 1000; ++wait) {
        QFile log(serverLogFile(folder));
        if (log.open(QIODevice::ReadOnly))
            for (const QByteArray &line : log.readAll().split('\n'))
                if (line.startsWith("Live results on http://") && line.endsWith('/'))
                    return static_cast<quint16>(line.mid(line.lastIndexOf(':') + 1).chopped(1).toInt());
        QThread::msleep(10);
    }
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (printedUsage(args, "usage: live_results_load [--clients N] [--readouts N] [--punches N] [--browsers N]\n"))
        return 0;
    const int clients = option(args, "--clients", 10);
    const int readoutsEach = option(args, "--readouts", 200);
    const int punchCount = option(args, "--punches", 50);
    const int browsers = option(args, "--browsers", 50);
    const int total = clients * readoutsEach;

    struct Run
    {
        StationRun stations;
        std::vector<double> freshness;
        int late = 0;
        double requestsPerSecond = 0;
        quint64 failures = 0;
    };
    const auto runCase = [&](bool http) -> std::optional<Run> {
        QTemporaryDir dir;
        const QString event = dir.path() + u'/';
        const ReadoutEvent made = MakeReadoutEvent(event, total / 3 + 1);
        std::vector<Owner> owners;
        QByteArray classPage;
        {
            TdmData data(event);
            // Every team is listed from the start, so that each readout shows at once.
            data.connection().exec(QStringLiteral("UPDATE team SET calctime='2026-06-13 00:00:00'"));
            QSqlQuery rows = data.connection().exec(QStringLiteral("SELECT t.number, u.firstname, u.lastname FROM runner u JOIN team t ON t.id=u.team_id ORDER BY u.id"));
            while (rows.next())
                owners.push_back({rows.value(0).toLongLong(), rows.value(1).toString(), rows.value(2).toString()});
            classPage = "/" + QUrl::toPercentEncoding(QStringLiteral("results") + data.connection().scalar(QStringLiteral("SELECT class FROM team ORDER BY id")).toString() + QStringLiteral(".htm"));
        }
        const std::vector<Readout> readouts = MakeReadouts(std::vector<QString>(made.chips.begin(), made.chips.begin() + total), made.units, punchCount);
        QProcess server;
        QStringList options{QStringLiteral("--max-connections"), QString::number(clients)};
        if (http)
            options += {QStringLiteral("--http"), QStringLiteral("0"), QStringLiteral("--http-bind"), QStringLiteral("127.0.0.1")};
        // What the live results say on stderr is kept: a pipe nobody reads would stop the server.
        const QString errorFile = dir.path() + QStringLiteral("/server.err");
        const quint16 port = startServe(server, dir.path(), event, options, errorFile);
        const quint16 webPort = http ? httpPort(dir.path()) : 0;
        if (port == 0 || (http && webPort == 0)) {
            std::fprintf(stderr, "the server did not start: %s\n", server.readAllStandardError().constData());
            return std::nullopt;
        }
        Run run;
        Browsing browsing;
        std::vector<std::thread> browserThreads;
        std::optional<FreshnessProbe> probe;
        if (http) {
            // The first build is done once the start page is served.
            for (int wait = 0; wait < 600; ++wait) {
                QTcpSocket socket;
                socket.connectToHost(QHostAddress::LocalHost, webPort);
                if (socket.waitForConnected(1000) && get(socket, classPage, false))
                    break;
                QThread::msleep(50);
            }
            for (int b = 0; b < browsers; ++b)
                browserThreads.emplace_back(browse, webPort, 2 + b, classPage, std::ref(browsing));
            probe.emplace(webPort, owners);
            // The stations start with every browser going.
            QThread::msleep(1000);
        }
        const quint64 pagesBefore = browsing.pages;
        QElapsedTimer wall;
        wall.start();
        run.stations = RunStations(port, readouts, clients, {}, [&](size_t r) {
            if (probe)
                probe->acknowledged(r);
        });
        const double seconds = wall.nsecsElapsed() / 1e9;
        run.requestsPerSecond = (browsing.pages - pagesBefore) / seconds;
        if (probe) {
            // The last readouts are still being looked for.
            QThread::msleep(1500);
            run.freshness = probe->freshness();
            run.late = probe->late();
            probe.reset();
        }
        browsing.stop = true;
        for (std::thread &browser : browserThreads)
            browser.join();
        run.failures = browsing.failures;
        server.terminate();
        server.waitForFinished(30'000);
        QFile log(serverLogFile(dir.path()));
        if (log.open(QIODevice::ReadOnly))
            for (const QByteArray &line : log.readAll().split('\n'))
                if (line.contains("exception"))
                    std::fprintf(stderr, "server: %s\n", line.constData());
        QFile errors(errorFile);
        if (errors.open(QIODevice::ReadOnly))
            std::fprintf(stderr, "%s", errors.readAll().constData());
        return run;
    };

    const std::optional<Run> without = runCase(false);
    const std::optional<Run> with = runCase(true);
    if (!without || !with)
        return 1;
    std::printf("stations %d x readouts %d x punches %d, browsers %d\n", clients, readoutsEach, punchCount, browsers);
    for (const auto &[name, run] : {std::pair{"without HTTP", &*without}, std::pair{"with HTTP", &*with}})
        std::printf("%-13s acknowledged %d of %d, %.0f readouts/s, reply ms p50 %.2f p99 %.2f max %.2f\n", name, run->stations.acknowledgedCount(), total,
                    total / run->stations.seconds, run->stations.percentile(0.5), run->stations.percentile(0.99), run->stations.percentile(1));
    std::printf("readout p99 ratio with/without HTTP: %.2f\n", with->stations.percentile(0.99) / without->stations.percentile(0.99));
    std::printf("freshness ms (%zu readouts sampled, %d not seen within 10 s): p50 %.0f p99 %.0f max %.0f\n", with->freshness.size(), with->late,
                percentile(with->freshness, 0.5), percentile(with->freshness, 0.99), percentile(with->freshness, 1));
    std::printf("HTTP: %.1f class pages/s served while the stations ran, %llu failed requests\n", with->requestsPerSecond,
                static_cast<unsigned long long>(with->failures));
    return with->stations.errors == 0 && without->stations.errors == 0 ? 0 : 1;
}
