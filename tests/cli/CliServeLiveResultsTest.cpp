// korvent-cli serve --http: the live results beside the stations, over loopback.

#include "ServeProcess.h"
#include "../liveresults/HttpClient.h"

#include "store/uData.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace {

struct ServeLiveFixture : ServedEventFixture
{
    // The port of "Live results on http://ADDRESS:PORT/" in the log.
    quint16 httpPort()
    {
        quint16 port = 0;
        QTest::qWaitFor([&] {
            const QByteArray log = readFile(logFile);
            const qsizetype at = log.indexOf("Live results on http://");
            const qsizetype end = log.indexOf("/\n", at);
            if (at >= 0 && end > at)
                port = static_cast<quint16>(log.mid(log.lastIndexOf(':', end) + 1, end - log.lastIndexOf(':', end) - 1).toInt());
            return port != 0;
        }, 5000);
        return port;
    }
};

} // namespace

TEST_F(ServeLiveFixture, AReadoutReachesTheLiveResultsOfTheServingProcess)
{
    ServeProcess serve(program.path(), logFile, {"--http", "0", "--http-bind", "127.0.0.1"});
    ASSERT_NE(serve.port, 0);
    const quint16 port = httpPort();
    ASSERT_NE(port, 0) << readFile(logFile).constData();
    EXPECT_TRUE(readFile(logFile).contains("Live results on http://127.0.0.1:"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return HttpRequest(port, "GET", "/").status == 200; }, 10'000));

    const qint64 number = TdmData(event).connection().scalar(QStringLiteral(
        "SELECT t.number FROM team t JOIN runner u ON u.team_id=t.id WHERE u.chipnr='100001'")).toLongLong();
    TdmData(event).connection().exec(QStringLiteral("DELETE FROM res_cp"));
    QTcpSocket station;
    station.connectToHost(QHostAddress::LocalHost, serve.port);
    ASSERT_TRUE(station.waitForConnected(5000));
    exchange(station, {});
    ASSERT_EQ(exchange(station, "si\r\n"), QByteArray("OK\r\n"));
    // Both runners of the team punch, each with a card of their own.
    for (const QByteArray chip : {"100001", "100002"})
        ASSERT_TRUE(exchange(station, "s " + chip + ";0;0;5430000;8;2;31;43800;32;45600\r\n").startsWith("S " + chip + ';'));
    const QByteArray target = "/api/team/" + QByteArray::number(number);
    QJsonArray punches;
    EXPECT_TRUE(QTest::qWaitFor([&] {
        punches = QJsonDocument::fromJson(HttpRequest(port, "GET", target).body).object()[QStringLiteral("punches")].toArray();
        return std::any_of(punches.begin(), punches.end(), [](const QJsonValue &p) { return p[QStringLiteral("time")].toString().endsWith(QLatin1String("12:10:00")); });
    }, 3000));
    serve.process.terminate();
    ASSERT_TRUE(serve.process.waitForFinished(10'000));
    EXPECT_EQ(serve.process.exitCode(), 0);
}

TEST_F(ServeLiveFixture, WrongHttpOptionsAreRefusedNamingThem)
{
    const struct
    {
        QStringList options;
        const char *message;
    } cases[] = {
        {{"--http-bind", "127.0.0.1"}, "--http-bind needs --http PORT"},
        {{"--http", "0", "--http-bind", "phone.local"}, "\"phone.local\" is not an IP address"},
        {{"--http", "70000"}, "--http needs a whole number from 0 to 65535"},
    };
    for (const auto &c : cases) {
        const CliRun run = runCliIn(program.path(), QStringList{"--event", "event", "serve", "--port", "0"} + c.options);
        EXPECT_NE(run.exitCode, 0) << c.message;
        EXPECT_TRUE(run.err.contains(QLatin1String(c.message))) << run.err.toStdString();
    }
}

TEST_F(ServeLiveFixture, TheAddressesToOpenAreThoseServedOn)
{
    const struct
    {
        QStringList options;
        QByteArray shown;
    } cases[] = {
        // On all of them: the machine's own addresses, loopback among them, not 0.0.0.0.
        {{"--http", "0"}, "Live results on http://127.0.0.1:"},
        {{"--http", "0", "--http-bind", "::1"}, "Live results on http://[::1]:"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.options.join(u' ').toStdString());
        QFile::remove(logFile);
        ServeProcess serve(program.path(), logFile, c.options);
        ASSERT_NE(serve.port, 0);
        ASSERT_NE(httpPort(), 0) << readFile(logFile).constData();
        const QByteArray log = readFile(logFile);
        EXPECT_TRUE(log.contains(c.shown)) << log.constData();
        EXPECT_FALSE(log.contains("0.0.0.0")) << log.constData();
    }
}
