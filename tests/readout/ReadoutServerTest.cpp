#include "ReadoutFixture.h"
#include "EventRows.h"

#include "readout/ReadoutProcessor.h"
#include "readout/ReadoutServer.h"
#include "base/KorventError.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTcpSocket>
#include <QTest>
#include <QThread>

#include <sys/socket.h>

namespace {

// A station program on a loopback socket, driven from the test's event loop.
struct Station
{
    QTcpSocket socket;
    QByteArray received;

    explicit Station(quint16 port)
    {
        QObject::connect(&socket, &QTcpSocket::readyRead, [this] { received += socket.readAll(); });
        socket.connectToHost(QHostAddress::LocalHost, port);
    }
    bool waitFor(const QByteArray &bytes, int ms = 5000)
    {
        return QTest::qWaitFor([&] { return received.contains(bytes); }, ms);
    }
    // The next line with its CR LF; empty when none comes.
    QByteArray line()
    {
        if (!waitFor("\r\n"))
            return {};
        const qsizetype end = received.indexOf("\r\n") + 2;
        const QByteArray first = received.left(end);
        received.remove(0, end);
        return first;
    }
    QByteArray ask(const QByteArray &request)
    {
        socket.write(request + "\r\n");
        return line();
    }
    bool closedByServer()
    {
        return QTest::qWaitFor([&] { return socket.state() == QAbstractSocket::UnconnectedState; }, 5000);
    }
};

struct ServerFixtureCases : ReadoutFixture
{
    std::unique_ptr<ReadoutServer> server;
    QStringList log;

    void SetUp() override
    {
        ReadoutFixture::SetUp();
        server = std::make_unique<ReadoutServer>(folderOf(dir), shared);
        QObject::connect(server.get(), &ReadoutServer::logLine, [this](const QString &line) { log.append(line); });
        server->start(0, 5);
    }
    void TearDown() override { server.reset(); }

    std::unique_ptr<Station> station()
    {
        auto s = std::make_unique<Station>(server->port());
        EXPECT_EQ(s->line(), ReadoutServer::banner());
        return s;
    }
};

} // namespace

// The station protocol alone, on the event's own file.
using ServerFixture = ServerFixtureCases;
// What stores or refuses readouts, on each engine.
using ServerOnEachEngine = OnEachEngine<ServerFixtureCases>;
EVENT_TESTS_ON_EACH_ENGINE(ServerOnEachEngine);

TEST_P(ServerOnEachEngine, CommandsAndTheirReplies)
{
    auto s = station();
    EXPECT_EQ(s->ask("PUSH"), QByteArray("OK\r\n"));
    EXPECT_EQ(s->ask("S 8001234;0;0;5430000;8;0"), QByteArray("ERR\r\n"));
    EXPECT_TRUE(s->ask("i x").startsWith("I 1;"));
    for (const char *refused : {"ix", "i", "", "x y", "hello"})
        EXPECT_EQ(s->ask(refused), QByteArray("ERR\r\n")) << refused;
    EXPECT_EQ(s->ask("s " + exampleRecord.toLatin1()), QByteArray("E \"No course/class description for runner\"\r\n"));
    EXPECT_EQ(s->ask("Si"), QByteArray("OK\r\n"));
    EXPECT_EQ(s->ask("n Finish 2"), QByteArray("OK\r\n"));
    const QList<ReadoutServer::ClientEntry> entries = server->clientEntries();
    ASSERT_EQ(entries.size(), 1);
    EXPECT_TRUE(entries[0].text.endsWith(QStringLiteral(" (*)(SI) Finish 2"))) << entries[0].text.toStdString();
    // Its own push comes first, then the reply.
    EXPECT_EQ(s->ask("s " + exampleRecord.toLatin1()), "Z 0" + exampleReply.toLatin1() + "\r\n");
    EXPECT_TRUE(log.first().contains(QLatin1String("Client connected. Remote: 127.0.0.1/"))) << log.first().toStdString();
    EXPECT_TRUE(log.first().contains(QRegularExpression(QStringLiteral(" ThreadID : \\$[0-9A-F]{8}$"))));
}

TEST_F(ServerFixture, QuitInAnyLetterCaseClosesWithoutReply)
{
    for (const char *quit : {"QUIT", "Quit", "quit"}) {
        auto s = station();
        s->socket.write(QByteArray(quit) + "\r\n");
        EXPECT_TRUE(s->closedByServer()) << quit;
        EXPECT_TRUE(s->received.isEmpty()) << quit;
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return server->clientCount() == 0; }, 5000));
}

TEST_F(ServerFixture, SixthOfFiveIsRefusedWhileTheFiveWork)
{
    std::vector<std::unique_ptr<Station>> five;
    for (int i = 0; i < 5; ++i)
        five.push_back(station());
    Station sixth(server->port());
    EXPECT_EQ(sixth.line(), ReadoutServer::busyBanner());
    EXPECT_TRUE(sixth.closedByServer());
    for (auto &s : five)
        EXPECT_TRUE(s->ask("i x").startsWith("I 1;"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return server->clientCount() == 5; }, 5000));
}

TEST_F(ServerFixture, AReplyOfExactly510CharactersIsMarked)
{
    const QString base = ReadoutProcessor(folderOf(dir), shared).EventInfoReply(QStringLiteral("x"));
    setup.settings.eventName += QString(510 - base.size(), u'n');
    publish();
    auto s = station();
    const QByteArray reply = s->ask("i x");
    EXPECT_EQ(reply.size(), 515);
    EXPECT_TRUE(reply.endsWith("n;43200;10;O;;##\r\n")) << reply.right(30).toStdString();
    setup.settings.eventName += u'n';
    publish();
    EXPECT_EQ(s->ask("i x").size(), 513);
}

TEST_P(ServerOnEachEngine, PushClientsGetOneNotificationPerReadoutBackToBack)
{
    auto listener = station();
    EXPECT_EQ(listener->ask("push"), QByteArray("OK\r\n"));
    auto reader = station();
    EXPECT_EQ(reader->ask("si"), QByteArray("OK\r\n"));
    EXPECT_EQ(reader->ask("s " + exampleRecord.toLatin1()), exampleReply.toLatin1() + "\r\n");
    EXPECT_EQ(reader->ask("s " + exampleRecord.toLatin1()), exampleReply.toLatin1() + "\r\n");
    EXPECT_EQ(reader->ask("s 999;0;0;5430000;8;0"), QByteArray("E \"Wrong chip nr\"\r\n"));
    EXPECT_TRUE(listener->waitFor("Z 0Z 0"));
    QTest::qWait(100);
    EXPECT_EQ(listener->received, QByteArray("Z 0Z 0"));
}

TEST_F(ServerFixture, DisconnectingTheSecondEntryOfThree)
{
    auto a = station();
    auto b = station();
    auto c = station();
    EXPECT_EQ(a->ask("n A"), QByteArray("OK\r\n"));
    EXPECT_EQ(b->ask("n B"), QByteArray("OK\r\n"));
    EXPECT_EQ(c->ask("n C"), QByteArray("OK\r\n"));
    const QList<ReadoutServer::ClientEntry> entries = server->clientEntries();
    ASSERT_EQ(entries.size(), 3);
    EXPECT_TRUE(entries[1].text.endsWith(QStringLiteral(" B")));
    server->disconnectClient(entries[1].id);
    EXPECT_EQ(b->line(), QByteArray("QUIT\r\n"));
    EXPECT_TRUE(b->closedByServer());
    EXPECT_TRUE(a->ask("i x").startsWith("I 1;"));
    EXPECT_TRUE(c->ask("i x").startsWith("I 1;"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return server->clientCount() == 2; }, 5000));
}

TEST_F(ServerFixture, StoppingSendsQuitToEveryClient)
{
    std::vector<std::unique_ptr<Station>> stations;
    for (int i = 0; i < 3; ++i)
        stations.push_back(station());
    server->StopServer();
    for (auto &s : stations) {
        EXPECT_EQ(s->line(), QByteArray("QUIT\r\n"));
        EXPECT_TRUE(s->closedByServer());
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return server->clientCount() == 0; }, 5000));
    EXPECT_FALSE(server->isListening());
}

TEST_F(ServerFixture, ALineOfOverAHundredBytesWithoutLineEndIsThrownAway)
{
    auto s = station();
    s->socket.write(QByteArray(150, 'x'));
    QTest::qWait(200);
    EXPECT_TRUE(s->ask("i x").startsWith("I 1;"));
}

TEST_F(ServerFixture, AStartOnAPortInUseFails)
{
    ReadoutServer second(folderOf(dir), shared);
    EXPECT_THROW(second.start(server->port(), 5), KorventError);
    EXPECT_FALSE(second.isListening());
}

TEST_P(ServerOnEachEngine, ConcurrentReadoutsOfSeveralStationsAreAllStored)
{
    std::vector<std::unique_ptr<Station>> stations;
    for (int i = 0; i < 4; ++i) {
        const QString chip = QStringLiteral("90%1").arg(i);
        insertRow(*data, QStringLiteral("runner"), {{"team_id", teamId}, {"firstname", "R"}, {"lastname", chip}, {"chipnr", chip}});
        stations.push_back(station());
        EXPECT_EQ(stations.back()->ask("si"), QByteArray("OK\r\n"));
    }
    // Every station sends ten readouts at once; the workers store them side by side.
    for (int i = 0; i < 4; ++i) {
        QByteArray requests;
        for (int r = 0; r < 10; ++r)
            requests += QStringLiteral("s 90%1;0;0;5430000;8;3;31;43800;45;45600;31;4620%2\r\n").arg(i).arg(r).toLatin1();
        stations[static_cast<size_t>(i)]->socket.write(requests);
    }
    for (int i = 0; i < 4; ++i)
        for (int r = 0; r < 10; ++r)
            EXPECT_TRUE(stations[static_cast<size_t>(i)]->line().startsWith(QStringLiteral("S 90%1;").arg(i).toLatin1())) << i << " " << r;
    EXPECT_EQ(punchRows(), 4 * 4);
}

TEST_F(ServerFixture, DebugAndShowLogLines)
{
    server->setDebug(true);
    server->setShowLog(true);
    auto s = station();
    log.clear();
    EXPECT_TRUE(s->ask("i x").startsWith("I 1;"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return log.size() >= 4; }, 5000));
    EXPECT_TRUE(log[0].contains(QLatin1String("Received from 127.0.0.1: i x\r\n  ThreadID : $"))) << log[0].toStdString();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^>\\d+:\\d+:\\d+:\\d+$")).match(log[1]).hasMatch()) << log[1].toStdString();
    EXPECT_TRUE(log[2].startsWith(QLatin1String(">SendToClient:I 1;"))) << log[2].toStdString();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^<\\d+:\\d+:\\d+:\\d+$")).match(log[3]).hasMatch()) << log[3].toStdString();
    s->socket.write("quit\r\n");
    EXPECT_TRUE(s->closedByServer());
    ASSERT_TRUE(QTest::qWaitFor([&] { return log.last().contains(QLatin1String("Client disconnecting: 127.0.0.1   Duration: 00:00:")); }, 5000))
        << log.last().toStdString();
}

TEST_P(ServerOnEachEngine, AFailingRequestIsAnsweredErrLoggedAndClosed)
{
    auto s = station();
    EXPECT_EQ(s->ask("si"), QByteArray("OK\r\n"));
    EXPECT_EQ(s->ask("s 8001234;0;0;5430000;8;194"), QByteArray("ERR\r\n"));
    EXPECT_TRUE(s->closedByServer());
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return std::any_of(log.begin(), log.end(), [](const QString &line) { return line.contains(QLatin1String("Client exception occured: KorventError: ")); });
    }, 5000));
    EXPECT_EQ(punchRows(), 0);
}

TEST_P(ServerOnEachEngine, AnAbsurdTimeIsRefusedAndStallsNoOtherStation)
{
    auto absurd = station();
    auto other = station();
    EXPECT_EQ(absurd->ask("si"), QByteArray("OK\r\n"));
    EXPECT_EQ(other->ask("si"), QByteArray("OK\r\n"));
    EXPECT_EQ(absurd->ask("s 8001234;0;0;5430000;8;1;31;99999999999999999"), QByteArray("E \"Wrong parameters\"\r\n"));
    EXPECT_EQ(other->ask("s " + exampleRecord.toLatin1()), exampleReply.toLatin1() + "\r\n");
    EXPECT_EQ(punchRows(), 4);
}

TEST_P(ServerOnEachEngine, ARefusedLineLeavesTheRunnersStoredPunchesUntouched)
{
    auto first = station();
    EXPECT_EQ(first->ask("si"), QByteArray("OK\r\n"));
    EXPECT_EQ(first->ask("s " + exampleRecord.toLatin1()), exampleReply.toLatin1() + "\r\n");
    const QStringList stored = rows();
    for (const char *line : {"s 8001234;0;0;-4000000;8;1;31;36100", "s 8001234;0;0;4000000;8;1;31;-5", "s 8001234;0;0;4000000;8;-1",
                             "s 8001234;0;0;4000000;x;0", "s 8001234x;0;0;4000000;8;0"}) {
        auto s = station();
        EXPECT_EQ(s->ask("si"), QByteArray("OK\r\n"));
        EXPECT_EQ(s->ask(line), QByteArray("E \"Wrong parameters\"\r\n")) << line;
        EXPECT_EQ(rows(), stored) << line;
    }
}

TEST_F(ServerFixture, AStationThatTakesNoRepliesIsNotReadFromUntilItDoes)
{
    setup.settings.eventName = QString(1000, u'n'); // replies of about a kilobyte
    publish();
    const int requests = 50'000;
    qint64 handled = 0;
    QObject::connect(server.get(), &ReadoutServer::logLine, [&handled](const QString &line) {
        handled += line.contains(QLatin1String("Received from"));
    });
    server->setShowLog(true);
    QTcpSocket socket;
    socket.setReadBufferSize(4096); // the station's side takes nothing more
    socket.connectToHost(QHostAddress::LocalHost, server->port());
    ASSERT_TRUE(socket.waitForConnected(5000));
    socket.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, 64 * 1024);
    socket.write(QByteArray("i x\r\n").repeated(requests));
    // Serve the log hand-over until the server has taken no line for half a second.
    QElapsedTimer quiet;
    quiet.start();
    qint64 last = -1;
    for (const QDeadlineTimer deadline(60'000); !deadline.hasExpired() && quiet.elapsed() < 500;) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        if (handled != last) {
            last = handled;
            quiet.restart();
        }
    }
    // Its unsent replies bound what the server takes: a megabyte and what the network buffers.
    EXPECT_GT(handled, 0);
    EXPECT_LT(handled, requests / 2);

    // Reading the replies lets the server go on: every request is answered.
    server->setShowLog(false);
    socket.setReadBufferSize(0);
    qint64 lines = 0;
    QObject::connect(&socket, &QTcpSocket::readyRead, [&] { lines += socket.readAll().count('\n'); });
    lines += socket.readAll().count('\n');
    for (const QDeadlineTimer deadline(60'000); !deadline.hasExpired() && lines < requests + 1;)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(lines, requests + 1); // with the banner
}

TEST_F(ServerFixture, IdleStationsAreSentQuitAndClosed)
{
    server->setIdleTimeout(2);
    auto idle = station();
    auto active = station();
    // A line now and then keeps a station.
    for (int i = 0; i < 8; ++i) {
        QTest::qWait(300);
        EXPECT_TRUE(active->ask("i x").startsWith("I 1;"));
    }
    EXPECT_EQ(idle->line(), QByteArray("QUIT\r\n"));
    EXPECT_TRUE(idle->closedByServer());
    EXPECT_EQ(active->socket.state(), QAbstractSocket::ConnectedState);
    EXPECT_TRUE(std::any_of(log.cbegin(), log.cend(), [](const QString &line) { return line.contains(QLatin1String("Client idle for 2 s, closing: 127.0.0.1")); }));
    EXPECT_TRUE(QTest::qWaitFor([&] { return server->clientCount() == 1; }, 5000));
}

TEST_F(ServerFixture, AHugeReceivedLineIsLoggedShort)
{
    server->setShowLog(true);
    auto s = station();
    // Tabs become up to eight blanks each: a few kilobytes make a line of 64,000 characters.
    EXPECT_EQ(s->ask(QByteArray(8000, '\t') + "x"), QByteArray("ERR\r\n"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return std::any_of(log.cbegin(), log.cend(), [](const QString &line) { return line.contains(QLatin1String("Received from")); }); }, 5000));
    for (const QString &line : std::as_const(log))
        EXPECT_LT(line.size(), 4200) << line.left(100).toStdString();
    // A line of a real station is logged whole.
    log.clear();
    EXPECT_EQ(s->ask("s 999;0;0;5430000;8;0"), QByteArray("E \"Wrong chip nr\"\r\n"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !log.isEmpty(); }, 5000));
    EXPECT_TRUE(log.first().contains(QLatin1String("Received from 127.0.0.1: s 999;0;0;5430000;8;0\r\n  ThreadID : $"))) << log.first().toStdString();
}

TEST_F(ServerFixture, APushClientReceivingNotificationsIsNotIdle)
{
    server->setIdleTimeout(1);
    auto listener = station();
    EXPECT_EQ(listener->ask("push"), QByteArray("OK\r\n"));
    auto silent = station();
    auto reader = station();
    EXPECT_EQ(reader->ask("si"), QByteArray("OK\r\n"));
    // Readouts of another station for three timeouts: the listener hears of each one.
    for (int i = 0; i < 8; ++i) {
        QTest::qWait(400);
        EXPECT_EQ(reader->ask("s " + exampleRecord.toLatin1()), exampleReply.toLatin1() + "\r\n");
    }
    EXPECT_EQ(listener->received, QByteArray("Z 0").repeated(8));
    EXPECT_EQ(listener->socket.state(), QAbstractSocket::ConnectedState);
    // A station silent both ways is still closed.
    EXPECT_EQ(silent->line(), QByteArray("QUIT\r\n"));
    EXPECT_TRUE(silent->closedByServer());
}

TEST_F(ReadoutFixture, StationsGetTheSetupAsAnyProgramLeftItWhenTheySendSi)
{
    const QString event = folderOf(dir);
    setup.settings.save(event);
    WriteClassTreeFile(ClassTreeFileName(event), setup.classTree);
    const SharedEventSetup following(event);
    ReadoutServer server(event, following);
    server.start(0, 5);
    Station early(server.port());
    ASSERT_EQ(early.line(), ReadoutServer::banner());
    ASSERT_EQ(early.ask("si"), QByteArray("OK\r\n"));
    ASSERT_EQ(early.ask("s " + exampleRecord.toLatin1()), exampleReply.toLatin1() + "\r\n");

    // Other programs move the event a day on, double the penalty, start class A
    // ten minutes earlier and make control 31 worth 10 points.
    EventSettings::update(event, [](EventSettings &settings) {
        settings.eventDate = QDateTime(QDate(2026, 6, 14), QTime(0, 0));
        settings.penaltyPoints = -2;
        settings.eventName = QStringLiteral("Autumn Rogaine");
    });
    WriteClassTreeFile(ClassTreeFileName(event), {{QStringLiteral("A<*>(11:50:00|003:00:00|00:30:00)"), 0}});
    TdmData(event).connection().exec(QStringLiteral("UPDATE control SET points=10 WHERE controlnr='31'"));

    // 14 points, 15 minutes over the maximum time: 16 started minutes at -2.
    const QByteArray reply = "S 8001234;4260000;5430000;1170000;-18;12;Ann;Lee;A;Team 12;False;3;31;4380000;1;45;4560000;1;31;4620000;4;\r\n";
    Station later(server.port());
    ASSERT_EQ(later.line(), ReadoutServer::banner());
    for (Station *station : {&early, &later}) {
        data->connection().exec(QStringLiteral("DELETE FROM res_cp"));
        EXPECT_EQ(station->ask("si"), QByteArray("OK\r\n"));
        EXPECT_EQ(station->ask("s " + exampleRecord.toLatin1()), reply);
        EXPECT_TRUE(station->ask("i x").contains(";Autumn Rogaine;"));
        EXPECT_EQ(punchRows(QStringLiteral("KP='31' AND count=10 AND ctime='2026-06-14 12:10:00'")), 1);
        EXPECT_EQ(punchRows(QStringLiteral("KP='F' AND ctime='2026-06-14 15:05:00'")), 1);
    }
}

TEST_F(ServerFixture, AStationIsAnsweredWhileTheWindowThreadIsBusyWithTheLogShown)
{
    // The log lines go to the window's thread; a report being shown there
    // must not keep a station waiting for its reply.
    server->setShowLog(true);
    server->setDebug(true);
    auto s = station();
    s->socket.write("i x\r\n");
    ASSERT_TRUE(s->socket.flush());
    QThread::msleep(1500); // the window's thread busy, its events waiting
    char reply[16];
    const ssize_t waiting = ::recv(static_cast<int>(s->socket.socketDescriptor()), reply, sizeof reply, MSG_PEEK | MSG_DONTWAIT);
    EXPECT_GT(waiting, 0) << "no reply while the window's thread was busy";
    EXPECT_TRUE(s->line().startsWith("I 1;"));
    // The lines come to the log afterwards, in order.
    EXPECT_TRUE(QTest::qWaitFor([&] { return log.size() >= 2; }, 5000));
    EXPECT_TRUE(log.first().contains(QLatin1String("Client connected"))) << log.join(u'\n').toStdString();
}

// The database server going away under the readout server.
using ServerOnPostgres = OnEachEngine<ServerFixtureCases>;
INSTANTIATE_TEST_SUITE_P(Server, ServerOnPostgres, ::testing::Values(db::Engine::PostgreSQL), EngineName);

TEST_P(ServerOnPostgres, AServerGoneInTheMiddleOfAReadoutIsAnErrorThatStoresNothingAndTheWorkersReconnectOnTheirOwn)
{
    auto reading = station();
    auto idle = station();
    EXPECT_EQ(reading->ask("si"), QByteArray("OK\r\n"));
    EXPECT_EQ(idle->ask("si"), QByteArray("OK\r\n"));
    PostgresCluster &cluster = *PostgresCluster::instance();
    {
        // Another seat holds the punch table: the readout waits inside its transaction.
        const db::DatabaseAddress address = data->connection().address();
        QSqlDatabase seat = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("other seat"));
        seat.setHostName(address.host);
        seat.setPort(address.port);
        seat.setUserName(address.user);
        seat.setDatabaseName(address.databaseName);
        ASSERT_TRUE(seat.open()) << seat.lastError().text().toStdString();
        QSqlQuery hold(seat);
        ASSERT_TRUE(hold.exec(QStringLiteral("BEGIN")));
        ASSERT_TRUE(hold.exec(QStringLiteral("LOCK TABLE res_cp IN EXCLUSIVE MODE")));
        reading->socket.write("s " + exampleRecord.toLatin1() + "\r\n");
        EXPECT_TRUE(QTest::qWaitFor([&] {
            QSqlQuery waiting(seat);
            return waiting.exec(QStringLiteral("SELECT COUNT(*) FROM pg_locks WHERE NOT granted AND relation = 'res_cp'::regclass "
                                                "AND database = (SELECT oid FROM pg_database WHERE datname = current_database())"))
                && waiting.next() && waiting.value(0).toInt() > 0;
        }, 5000));
        cluster.stop();
        hold = QSqlQuery();
        seat.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("other seat"));
    EXPECT_EQ(reading->line(), QByteArray("ERR\r\n"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return server->storeFault().startsWith(QStringLiteral("Readouts are refused: ")); }, 5000))
        << server->storeFault().toStdString();

    cluster.start();
    // The idle station's worker lost its connection too, and opens it again.
    EXPECT_EQ(idle->ask("s " + exampleRecord.toLatin1()), exampleReply.toLatin1() + "\r\n");
    EXPECT_TRUE(QTest::qWaitFor([&] { return server->storeFault().isEmpty(); }, 5000)) << server->storeFault().toStdString();
    auto next = station();
    EXPECT_EQ(next->ask("si"), QByteArray("OK\r\n"));
    EXPECT_EQ(next->ask("s " + exampleRecord.toLatin1()), exampleReply.toLatin1() + "\r\n");
    // The chip's punches once: nothing of the readout the outage cut.
    EXPECT_EQ(rows(), QStringList({"31 8 12:10:00 3", "45 8 12:40:00 4", "31 8 12:50:00 3", "F 8 15:05:00 0"}));
}
