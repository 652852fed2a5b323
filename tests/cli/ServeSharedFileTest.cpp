// The event file shared by serve, other korvent-cli commands and the sqlite3
// shell: nothing one process commits may be lost by another opening the file.

#include "ServeProcess.h"

#include "store/uData.h"

#include <gtest/gtest.h>

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

} // namespace

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
