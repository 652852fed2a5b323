#include "HttpClient.h"

#include "liveresults/LiveHttpServer.h"
#include "liveresults/LiveSite.h"

#include "base/KorventError.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>
#include <algorithm>
#include <memory>

namespace {

struct LiveHttpFixture : ::testing::Test
{
    LiveSite site;
    std::unique_ptr<LiveHttpServer> server;

    void SetUp() override
    {
        auto page = std::make_shared<LiveResource>();
        page->body = QByteArrayLiteral("<p>Kõik tulemused</p>");
        page->contentType = QByteArrayLiteral("text/html; charset=utf-8");
        page->version = 7;
        site.publish({{QStringLiteral("/resultsH21 Ä.htm"), page}, {QStringLiteral("/"), page}}, {}, 7);
    }
    quint16 start(LiveHttpLimits limits = {})
    {
        server = std::make_unique<LiveHttpServer>(site, limits);
        server->start(QHostAddress::LocalHost, 0);
        return server->port();
    }
};

TEST_F(LiveHttpFixture, ServesTheSitePagesByTheirDecodedPathAndTheirVersion)
{
    const quint16 port = start();
    ASSERT_NE(port, 0);
    const HttpReply page = HttpRequest(port, "GET", "/resultsH21%20%C3%84.htm");
    EXPECT_EQ(page.status, 200);
    EXPECT_EQ(page.body, QByteArrayLiteral("<p>Kõik tulemused</p>"));
    EXPECT_TRUE(page.headers.contains("text/html; charset=utf-8"));

    const HttpReply head = HttpRequest(port, "HEAD", "/");
    EXPECT_EQ(head.status, 200);
    EXPECT_TRUE(head.body.isEmpty());

    EXPECT_EQ(HttpRequest(port, "GET", "/api/version?path=%2F").body, QByteArrayLiteral("7"));
    EXPECT_EQ(server->servedRequests(), 3u);
}

TEST_F(LiveHttpFixture, ABrowserKeepsItsConnectionForTheNextPage)
{
    const quint16 port = start();
    HttpConnection browser(port);
    browser.socket.write("GET / HTTP/1.1\r\nHost: localhost\r\n\r\nGET /api/version HTTP/1.1\r\nHost: localhost\r\n\r\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return browser.received.endsWith("\r\n\r\n7"); }, 5000)) << browser.received.constData();
    EXPECT_EQ(browser.received.count("HTTP/1.1 200"), 2);
    EXPECT_FALSE(browser.received.contains("Connection: close"));
    EXPECT_EQ(browser.socket.state(), QAbstractSocket::ConnectedState);
}

TEST_F(LiveHttpFixture, HostileRequestsGetTheirRefusalAndNothingOfTheDisk)
{
    const quint16 port = start();
    const struct
    {
        QByteArray method;
        QByteArray target;
        int status;
    } cases[] = {
        {"GET", "/nothing.htm", 404},
        {"GET", "/../rogain.abs", 404},
        {"GET", "/%2e%2e/%2e%2e/etc/passwd", 404},
        {"GET", "/web/..%2f..%2fsetup.ini", 404},
        {"GET", "/..%5c..%5csetup.ini", 404},
        {"GET", "/a%00.htm", 404},
        {"POST", "/", 405},
        {"PUT", "/resultsH21%20%C3%84.htm", 405},
        {"DELETE", "/", 405},
        {"OPTIONS", "/", 405},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE((c.method + ' ' + c.target).toStdString());
        const HttpReply reply = HttpRequest(port, c.method, c.target);
        EXPECT_EQ(reply.status, c.status);
        EXPECT_FALSE(reply.body.contains("Kõik"));
        if (c.status == 405)
            EXPECT_TRUE(reply.headers.contains("Allow: GET, HEAD"));
    }
    // A body where none belongs is not read.
    EXPECT_EQ(HttpRequest(port, "GET", "/", "Content-Length: 5\r\n\r\nhello").status, 413);
    EXPECT_EQ(server->servedRequests(), 0u);
}

TEST_F(LiveHttpFixture, ARequestLineOrHeadersBeyondTheirMemoryAreRefused)
{
    const quint16 port = start();
    const HttpReply longLine = HttpRequest(port, "GET", '/' + QByteArray(64 * 1024, 'a'));
    EXPECT_TRUE(longLine.status == 414 || longLine.status == 431 || longLine.status == 0) << longLine.status;
    QByteArray headers;
    for (int i = 0; i < 400; ++i)
        headers += "X-Filler-" + QByteArray::number(i) + ": " + QByteArray(100, 'x') + "\r\n";
    const HttpReply manyHeaders = HttpRequest(port, "GET", "/", headers);
    EXPECT_TRUE(manyHeaders.status == 431 || manyHeaders.status == 0) << manyHeaders.status;
    // The server goes on serving.
    EXPECT_EQ(HttpRequest(port, "GET", "/").status, 200);
}

TEST_F(LiveHttpFixture, AClientThatSendsItsRequestTooSlowlyIsClosed)
{
    LiveHttpLimits limits;
    limits.timeoutSeconds = 1;
    const quint16 port = start(limits);
    HttpConnection slow(port);
    slow.socket.write("GET / HTTP/1.1\r\nHost: loc");
    EXPECT_TRUE(slow.closedByServer(4000));
    EXPECT_EQ(ParseHttpReply(slow.received).status, 0);
    EXPECT_EQ(HttpRequest(port, "GET", "/").status, 200);
}

TEST_F(LiveHttpFixture, ClientsDripFeedingTheirRequestsAreCutAtTheirDeadlineWhileOthersAreServed)
{
    LiveHttpLimits limits;
    limits.requestTime = std::chrono::milliseconds(1500);
    limits.connectionsPerAddress = 3;
    const quint16 port = start(limits);
    // Three clients of 127.0.0.1 take all its slots, each sending a byte every
    // 200 ms: never silent for long. The first was answered once and drips its
    // next request on the kept connection, its time counted from the answer.
    std::vector<std::unique_ptr<HttpConnection>> drips;
    std::vector<qint64> cutAt(3, -1);
    QElapsedTimer timer;
    drips.push_back(std::make_unique<HttpConnection>(port));
    drips[0]->socket.write("GET / HTTP/1.1\r\nHost: localhost\r\n\r\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return ParseHttpReply(drips[0]->received).status == 200; }, 5000));
    drips[0]->received.clear();
    timer.start();
    for (int i = 1; i < 3; ++i)
        drips.push_back(std::make_unique<HttpConnection>(port));
    for (int i = 0; i < 3; ++i)
        QObject::connect(&drips[i]->socket, &QTcpSocket::disconnected, [&, i] { cutAt[i] = timer.elapsed(); });

    const QByteArray request = "GET / HTTP/1.1\r\nHost: localhost\r\nX-Slow: " + QByteArray(100, 'x') + "\r\n\r\n";
    int servedMeanwhile = 0;
    for (qsizetype sent = 0; sent < request.size() - 1 && timer.elapsed() < 6000; ++sent) {
        for (const auto &drip : drips)
            if (drip->socket.state() == QAbstractSocket::ConnectedState)
                drip->socket.write(request.mid(sent, 1));
        // Another address is served while these hold their slots.
        if (timer.elapsed() > 300 && timer.elapsed() < 1200)
            servedMeanwhile += HttpRequest(port, "GET", "/", QByteArray(), QHostAddress(QStringLiteral("127.0.0.2"))).status == 200;
        if (std::all_of(cutAt.cbegin(), cutAt.cend(), [](qint64 at) { return at >= 0; }))
            break;
        QTest::qWait(200);
    }
    EXPECT_GT(servedMeanwhile, 0);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_GE(cutAt[i], 1400);
        EXPECT_LT(cutAt[i], 3000);
        EXPECT_TRUE(drips[i]->received.isEmpty()) << drips[i]->received.constData();
    }
    // Their slots are free again.
    EXPECT_EQ(HttpRequest(port, "GET", "/").status, 200);
}

TEST_F(LiveHttpFixture, ConnectionsBeyondTheLimitWaitUntilOneIsDone)
{
    LiveHttpLimits limits;
    limits.connections = 3;
    limits.connectionsPerAddress = 0;
    const quint16 port = start(limits);
    std::vector<std::unique_ptr<HttpConnection>> idle;
    for (int i = 0; i < 3; ++i) {
        idle.push_back(std::make_unique<HttpConnection>(port));
        idle.back()->socket.write("GET / HTTP/1.1\r\nHost: localhost\r\n");
    }
    QTest::qWait(100);
    // The fourth is not taken in while three are open: it waits in the system's backlog, unread.
    HttpConnection waiting(port);
    waiting.socket.write("GET / HTTP/1.1\r\nHost: localhost\r\nConnection: close\r\n\r\n");
    QTest::qWait(500);
    EXPECT_TRUE(waiting.received.isEmpty());

    idle.front()->socket.write("Connection: close\r\n\r\n");
    ASSERT_TRUE(idle.front()->closedByServer());
    EXPECT_EQ(ParseHttpReply(idle.front()->received + idle.front()->socket.readAll()).status, 200);
    ASSERT_TRUE(waiting.closedByServer());
    EXPECT_EQ(ParseHttpReply(waiting.received + waiting.socket.readAll()).status, 200);
}

TEST_F(LiveHttpFixture, ConnectionsFromOneAddressAreBoundedOnTheirOwn)
{
    LiveHttpLimits limits;
    limits.connectionsPerAddress = 2;
    const quint16 port = start(limits);
    HttpConnection first(port), second(port);
    QTest::qWait(100);
    HttpConnection third(port);
    EXPECT_TRUE(third.closedByServer(3000));
}

TEST_F(LiveHttpFixture, APortInUseIsRefusedNamingIt)
{
    const quint16 port = start();
    LiveHttpServer other(site);
    try {
        other.start(QHostAddress::LocalHost, port);
        FAIL() << "started on a port in use";
    } catch (const KorventError &error) {
        EXPECT_TRUE(error.message().contains(QString::number(port))) << error.message().toStdString();
    }
}

} // namespace
