// The event file shared by serve, other korvent-cli commands and the sqlite3
// shell: nothing one process commits may be lost by another opening the file.

#include "ServeProcess.h"

#include "base/MessageSink.h"
#include "base/WorkProgress.h"
#include "scoring/TeamCalculation.h"
#include "store/EventSetup.h"
#include "store/uData.h"

#include <QElapsedTimer>
#include <QSemaphore>
#include <gtest/gtest.h>
#include <atomic>
#include <thread>

namespace {

struct Station
{
    QTcpSocket socket;

    explicit Station(quint16 port)
    {
        socket.connectToHost(QHostAddress::LocalHost, port);
        if (socket.waitForConnected(5000))
            exchange(socket, {});
    }

    QByteArray readout(const QString &chip)
    {
        return exchange(socket, ("s " + chip + ";0;0;5430000;8;2;31;43800;32;45600\r\n").toLatin1());
    }
};

int punchesOfChip(TdmData &data, const QString &chip)
{
    return data.connection()
        .scalar(QStringLiteral("SELECT COUNT(*) FROM res_cp r JOIN runner u ON u.id=r.runner_id WHERE u.chipnr=?"), {chip})
        .toInt();
}

// What the calculation stores on every team row, the time of the calculation aside.
QStringList teamResults(TdmData &data)
{
    QStringList rows;
    QSqlQuery query = data.connection().exec(
        QStringLiteral("SELECT id, status, rtime, start, finis, points, penalty, result, inCenter FROM team ORDER BY id"));
    while (query.next()) {
        QStringList values;
        for (int i = 0; i < 9; ++i)
            values.append(query.value(i).toString());
        rows.append(values.join(u'|'));
    }
    return rows;
}

struct QuietSink : MessageSink
{
    void error(const QString &) override {}
    void warning(const QString &) override {}
};

// Stops the run between teams after half a minute (a few seconds are
// enough): a run starved of the write lock fails the test instead of hanging it.
struct GivesUpAfterHalfAMinute : WorkProgress
{
    QElapsedTimer clock;
    GivesUpAfterHalfAMinute() { clock.start(); }
    void step(const QString &, qint64, qint64) override {}
    bool cancelled() const override { return clock.elapsed() > 30'000; }
};

} // namespace

TEST(ServeSharedFile, ACalculationInAnotherProgramFinishesBesideStationsAtFullSpeedAndDecidesEveryTeamFromItsRows)
{
    QTemporaryDir program;
    const QString event = folderOf(program) + QStringLiteral("event/");
    QDir().mkpath(event);
    ASSERT_EQ(runCliIn(program.path(), {"--event", "event", "generate", "--teams", "1000"}).exitCode, 0);
    ServeProcess serve(program.path(), folderOf(program) + QStringLiteral("serve.log"), {"--max-connections", "10"});
    ASSERT_NE(serve.port, 0);

    // Each station reads its chips out again and again, each time with the
    // same punches: every readout commits between some batch's reads and its
    // write, and yet the teams' results do not depend on which came first.
    constexpr int stations = 10;
    constexpr int chipsEach = 10;
    // A card of 40 punches, one at each control, two minutes apart from 10:00.
    QByteArray punches;
    for (int unit = 31; unit <= 70; ++unit)
        punches += ';' + QByteArray::number(unit) + ';' + QByteArray::number(36'000 + (unit - 30) * 120);
    std::atomic<bool> done{false};
    std::atomic<int> readouts{0};
    std::atomic<int> refused{0};
    QSemaphore firstRound;
    std::vector<std::thread> threads;
    for (int s = 0; s < stations; ++s)
        threads.emplace_back([&, s] {
            Station station(serve.port);
            if (exchange(station.socket, "si\r\n") != "OK\r\n")
                ++refused;
            for (int round = 0; round == 0 || (!done && refused == 0); ++round) {
                for (int k = 0; k < chipsEach; ++k) {
                    const QString chip = QString::number(100'001 + s * chipsEach + k);
                    const QByteArray request = "s " + chip.toLatin1() + ";0;0;5430000;8;40" + punches + "\r\n";
                    if (!exchange(station.socket, request).startsWith("S " + chip.toLatin1() + ';'))
                        ++refused;
                    ++readouts;
                }
                if (round == 0)
                    firstRound.release();
            }
        });
    firstRound.acquire(stations);

    TdmData data(event);
    QuietSink quiet;
    const auto setup = std::make_shared<const EventSetup>(EventSetup::load(event));
    GivesUpAfterHalfAMinute progress;
    const int readoutsBefore = readouts;
    const CalculationSummary summary = TeamCalculation(data, setup, quiet).CalculateAllTeams(true, progress);
    const int readoutsMeanwhile = readouts - readoutsBefore;
    done = true;
    for (std::thread &thread : threads)
        thread.join();
    serve.process.terminate();
    ASSERT_TRUE(serve.process.waitForFinished(10'000));

    EXPECT_FALSE(summary.cancelled) << "the calculation made " << summary.calculated << " teams of 1000 in half a minute";
    EXPECT_EQ(summary.calculated, 1000);
    EXPECT_EQ(refused, 0);
    EXPECT_GT(readoutsMeanwhile, stations) << "the stations went on while the calculation ran";
    // Every team as a calculation with nothing else running works it out.
    const QStringList stored = teamResults(data);
    TeamCalculation(data, setup, quiet).CalculateAllTeams(true);
    EXPECT_EQ(stored, teamResults(data));
}

TEST(ServeSharedFile, ReadoutsAndOtherProcessesRowsSurviveAKill)
{
    QTemporaryDir program;
    const QString event = folderOf(program) + QStringLiteral("event/");
    QDir().mkpath(event);
    ASSERT_EQ(runCliIn(program.path(), {"--event", "event", "generate", "--teams", "3"}).exitCode, 0);
    TdmData(event).connection().exec(QStringLiteral("DELETE FROM res_cp"));

    ServeProcess serve(program.path(), folderOf(program) + QStringLiteral("serve.log"));
    ASSERT_NE(serve.port, 0);
    Station first(serve.port);
    ASSERT_EQ(exchange(first.socket, "si\r\n"), QByteArray("OK\r\n"));
    ASSERT_TRUE(first.readout(QStringLiteral("100001")).startsWith("S 100001;"));
    // A second station opens a connection of its own inside serve.
    Station second(serve.port);
    ASSERT_EQ(exchange(second.socket, "si\r\n"), QByteArray("OK\r\n"));

    // Other processes read and write the file and close it again.
    const CliRun info = runCliIn(program.path(), {"--event", "event", "info"});
    ASSERT_EQ(info.exitCode, 0) << info.err.toStdString();
    QProcess shell;
    shell.start(QStringLiteral("sqlite3"), {event + QStringLiteral("rogain.abs"),
                                            QStringLiteral("INSERT INTO control (controlnr, text) VALUES ('99', 'other process');")});
    ASSERT_TRUE(shell.waitForFinished(10'000));
    ASSERT_EQ(shell.exitCode(), 0) << shell.readAllStandardError().toStdString();

    EXPECT_TRUE(second.readout(QStringLiteral("100002")).startsWith("S 100002;"));
    EXPECT_TRUE(first.readout(QStringLiteral("100003")).startsWith("S 100003;"));
    serve.process.kill();
    ASSERT_TRUE(serve.process.waitForFinished(5000));

    TdmData data(event);
    for (const char *chip : {"100001", "100002", "100003"})
        EXPECT_EQ(punchesOfChip(data, QLatin1String(chip)), 3) << chip;
    EXPECT_EQ(data.connection().scalar(QStringLiteral("SELECT COUNT(*) FROM control WHERE text='other process'")).toInt(), 1);
}

TEST(ServeSharedFile, StationsRefusedByTheStoreAreSaidOnStderrAndSoIsTheirEnd)
{
    QTemporaryDir program;
    const QString event = folderOf(program) + QStringLiteral("event/");
    QDir().mkpath(event);
    ASSERT_EQ(runCliIn(program.path(), {"--event", "event", "generate", "--teams", "1"}).exitCode, 0);
    TdmData(event).connection().exec(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON res_cp BEGIN SELECT RAISE(ABORT, 'disk I/O error'); END"));

    ServeProcess serve(program.path(), folderOf(program) + QStringLiteral("serve.log"));
    ASSERT_NE(serve.port, 0);
    serve.process.setReadChannel(QProcess::StandardError);
    {
        Station station(serve.port);
        ASSERT_EQ(exchange(station.socket, "si\r\n"), QByteArray("OK\r\n"));
        EXPECT_EQ(station.readout(QStringLiteral("100001")), QByteArray("ERR\r\n"));
    }
    ASSERT_TRUE(serve.process.waitForReadyRead(5000));
    QByteArray err = serve.process.readAllStandardError();
    EXPECT_TRUE(err.contains("korvent-cli: Readouts are refused: ") && err.contains("disk I/O error")) << err.toStdString();

    TdmData(event).connection().exec(QStringLiteral("DROP TRIGGER refuse"));
    Station station(serve.port);
    ASSERT_EQ(exchange(station.socket, "si\r\n"), QByteArray("OK\r\n"));
    EXPECT_TRUE(station.readout(QStringLiteral("100001")).startsWith("S 100001;"));
    for (int wait = 0; !err.contains("readouts are stored again") && wait < 50; ++wait)
        if (serve.process.waitForReadyRead(100))
            err += serve.process.readAllStandardError();
    EXPECT_TRUE(err.contains("korvent-cli: readouts are stored again")) << err.toStdString();
    serve.process.terminate();
    ASSERT_TRUE(serve.process.waitForFinished(10'000));
}
