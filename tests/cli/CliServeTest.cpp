// korvent-cli serve as a station and other programs meet it: over loopback,
// with the settings changed by another korvent-cli while it runs.

#include "PostgresCluster.h"
#include "ServeProcess.h"

#include "store/DatabaseBinding.h"
#include "store/uData.h"

#include <thread>

#include <gtest/gtest.h>

namespace {

struct ServeFixture : ServedEventFixture
{

    // A station greeted by the server on the port.
    std::unique_ptr<QTcpSocket> station(quint16 port)
    {
        auto socket = std::make_unique<QTcpSocket>();
        socket->connectToHost(QHostAddress::LocalHost, port);
        EXPECT_TRUE(socket->waitForConnected(5000));
        EXPECT_EQ(exchange(*socket, {}), QByteArray("K*V Welcome to ResultService\r\n"));
        return socket;
    }
};

} // namespace

TEST_F(ServeFixture, ShowLogPrintsStationBytesAsEscapes)
{
    ServeProcess serve(program.path(), logFile, {"--show-log"});
    ASSERT_NE(serve.port, 0);
    auto s = station(serve.port);
    // A window title, a screen clear and a C1 sequence introducer in a client name.
    EXPECT_EQ(exchange(*s, "n \x1b]0;owned\x07\x1b[2J\xc2\x9b" "A\\x\r\n"), QByteArray("OK\r\n"));
    s->disconnectFromHost();
    serve.process.terminate();
    ASSERT_TRUE(serve.process.waitForFinished(10'000));

    const QByteArray log = readFile(logFile);
    for (const char c : log)
        ASSERT_TRUE(c == '\n' || static_cast<unsigned char>(c) >= 0x20) << "control byte " << int(c) << " in the log:\n" << log.constData();
    EXPECT_TRUE(log.contains(R"(: n \x1b]0;owned\x07\x1b[2J)")) << log.constData();
    EXPECT_TRUE(log.contains(R"(A\\x\r\n  ThreadID)")) << log.constData();
}

TEST_F(ServeFixture, SettingsSetByAnotherProgramReachAStationOnSi)
{
    ServeProcess serve(program.path(), logFile);
    ASSERT_NE(serve.port, 0);
    auto s = station(serve.port);
    const QByteArray readout = "s 100001;0;0;5430000;8;2;31;43800;32;45600\r\n";
    ASSERT_EQ(exchange(*s, "si\r\n"), QByteArray("OK\r\n"));
    ASSERT_TRUE(exchange(*s, readout).startsWith("S 100001;"));

    const CliRun set = runCliIn(program.path(), {"--event", "event", "settings", "set", "dtpDate=2031-01-02 00:00:00", "leName=Night Owls"});
    ASSERT_EQ(set.exitCode, 0) << set.err.toStdString();
    const auto firstPunch = [&] {
        return TdmData(event).connection().scalar(QStringLiteral(
            "SELECT MIN(r.ctime) FROM res_cp r JOIN runner u ON u.id=r.runner_id WHERE u.chipnr='100001'")).toString();
    };
    // On this connection and on a new one.
    auto later = station(serve.port);
    for (QTcpSocket *socket : {s.get(), later.get()}) {
        TdmData(event).connection().exec(QStringLiteral("DELETE FROM res_cp"));
        EXPECT_EQ(exchange(*socket, "si\r\n"), QByteArray("OK\r\n"));
        EXPECT_TRUE(exchange(*socket, readout).startsWith("S 100001;"));
        EXPECT_TRUE(firstPunch().startsWith(QLatin1String("2031-01-02 "))) << firstPunch().toStdString();
        EXPECT_TRUE(exchange(*socket, "i x\r\n").contains(";Night Owls;"));
    }
    serve.process.kill();
    serve.process.waitForFinished(5000);
}

TEST(ServeTwoProcesses, OneChipReadAtTwoServersOfOneServerEventAtOnceIsStoredOnceAndBothStationsAnswered)
{
    SKIP_WITHOUT_POSTGRES();
    QTemporaryDir program;
    const QString event = folderOf(program) + QStringLiteral("event/");
    QDir().mkpath(event);
    const db::DatabaseAddress server = PostgresCluster::instance()->newDatabase();
    ASSERT_EQ(runCliIn(program.path(), {"--event", "event", "db", "use", server.url()}).exitCode, 0);
    ASSERT_EQ(runCliIn(program.path(), {"--event", "event", "generate", "--teams", "3"}).exitCode, 0);
    ServeProcess first(program.path(), folderOf(program) + QStringLiteral("first.log"));
    ServeProcess second(program.path(), folderOf(program) + QStringLiteral("second.log"));
    ASSERT_NE(first.port, 0);
    ASSERT_NE(second.port, 0);
    const auto station = [](quint16 port) {
        auto socket = std::make_unique<QTcpSocket>();
        socket->connectToHost(QHostAddress::LocalHost, port);
        EXPECT_TRUE(socket->waitForConnected(5000));
        EXPECT_EQ(exchange(*socket, {}), QByteArray("K*V Welcome to ResultService\r\n"));
        EXPECT_EQ(exchange(*socket, "si\r\n"), QByteArray("OK\r\n"));
        return socket;
    };
    const QByteArray readout = "s 100001;0;0;5430000;8;2;31;43800;32;45600\r\n";
    const auto storedPunches = [&] {
        return TdmData(event).connection().scalar(QStringLiteral(
            "SELECT COUNT(*) FROM res_cp r JOIN runner u ON u.id = r.runner_id WHERE u.chipnr = '100001'")).toInt();
    };
    for (int round = 0; round < 10; ++round) {
        QByteArray replies[2];
        // Each station in a thread of its own, with its own socket: both readouts reach their server at once.
        std::thread a([&] { auto s = station(first.port); replies[0] = exchange(*s, readout); });
        std::thread b([&] { auto s = station(second.port); replies[1] = exchange(*s, readout); });
        a.join();
        b.join();
        int stored = 0;
        for (const QByteArray &reply : replies) {
            EXPECT_TRUE(reply.startsWith("S 100001;") || reply.startsWith("E ")) << reply.constData();
            stored += reply.startsWith("S ");
        }
        EXPECT_GE(stored, 1);
        // The two punches and the finish, once: a second store replaces the first.
        EXPECT_EQ(storedPunches(), 3) << "round " << round;
    }
    first.process.terminate();
    second.process.terminate();
    EXPECT_TRUE(first.process.waitForFinished(10'000));
    EXPECT_TRUE(second.process.waitForFinished(10'000));
}
