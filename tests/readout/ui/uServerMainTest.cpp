#include "EventDatabaseFixture.h"
#include "EventRows.h"

#include "readout/ReadoutServer.h"
#include "readout/ServerLogModel.h"
#include "liveresults/LiveResults.h"
#include "readout/ui/uServerMain.h"
#include "store/EventSetup.h"
#include "store/uData.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QTcpServer>
#include <QSpinBox>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::AnyIPv4, 0);
    return probe.serverPort();
}

struct ServerWindowFixture : EventDatabaseFixture
{
    SharedEventSetup shared;
    std::unique_ptr<TfServerMain> window;

    void SetUp() override
    {
        EventDatabaseFixture::SetUp();
        EventSetup setup;
        setup.settings.serverPort = freePort();
        shared.publish(setup);
        EventLocation location;
        location.eventDirectory = folderOf(dir);
        location.program = ProgramFiles::inProgramDirectory(QStringLiteral(KORVENT_SOURCE_DIR "/"));
        window = std::make_unique<TfServerMain>(location, shared);
        window->show();
    }
    QCheckBox *check(const char *name) { return window->findChild<QCheckBox *>(QLatin1String(name)); }
    QListWidget *clients() { return window->findChild<QListWidget *>(QStringLiteral("lbClients")); }
};

} // namespace

TEST_F(ServerWindowFixture, StartListClientsAndDisconnectOne)
{
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Server"));
    EXPECT_FALSE(check("cbWebService")->isVisible());
    QTest::mouseClick(check("cbServerLog"), Qt::LeftButton);
    QTest::mouseClick(check("cbServer"), Qt::LeftButton);
    ASSERT_TRUE(window->server().isListening());

    QTcpSocket station;
    QByteArray received;
    QObject::connect(&station, &QTcpSocket::readyRead, [&] { received += station.readAll(); });
    station.connectToHost(QHostAddress::LocalHost, window->server().port());
    ASSERT_TRUE(QTest::qWaitFor([&] { return received.endsWith("ResultService\r\n"); }, 5000));
    station.write("n Finish 2\r\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return clients()->count() == 1 && clients()->item(0)->text().endsWith(QLatin1String(" Finish 2")); }, 5000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->log().lines().size() >= 2; }, 5000));
    EXPECT_TRUE(window->log().lines().last().contains(QLatin1String("Client connected.")));
    EXPECT_TRUE(window->log().lines().first().contains(QLatin1String("Received from 127.0.0.1: n Finish 2")));

    clients()->setCurrentRow(0);
    window->findChild<QAction *>(QStringLiteral("Disconnect1"))->trigger();
    EXPECT_TRUE(QTest::qWaitFor([&] { return received.endsWith("QUIT\r\n"); }, 5000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return clients()->count() == 0; }, 5000));

    QTest::mouseClick(check("cbServer"), Qt::LeftButton);
    EXPECT_FALSE(window->server().isListening());
}

TEST_F(ServerWindowFixture, APortInUseIsReportedAndTheServerStaysOff)
{
    QTcpServer occupant;
    ASSERT_TRUE(occupant.listen(QHostAddress::AnyIPv4, shared.snapshot()->settings.serverPort));
    QString shown;
    QTimer::singleShot(100, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            shown = box->text();
            box->accept();
        }
    });
    QTest::mouseClick(check("cbServer"), Qt::LeftButton);
    EXPECT_TRUE(shown.contains(QLatin1String("Cannot start the server"))) << shown.toStdString();
    EXPECT_FALSE(check("cbServer")->isChecked());
    EXPECT_FALSE(window->server().isListening());
}

TEST_F(ServerWindowFixture, LiveResultsAreServedOnTheirPortWhileChecked)
{
    const quint16 port = freePort();
    window->findChild<QSpinBox *>(QStringLiteral("seLivePort"))->setValue(port);
    QTest::mouseClick(check("cbLiveResults"), Qt::LeftButton);
    ASSERT_NE(window->liveResults(), nullptr);
    EXPECT_EQ(window->liveResults()->port(), port);
    EXPECT_TRUE(window->findChild<QLabel *>(QStringLiteral("lLiveAddr"))->text().contains(QStringLiteral(":%1/").arg(port)));
    const auto served = [&] {
        QTcpSocket browser;
        browser.connectToHost(QHostAddress::LocalHost, port);
        if (!browser.waitForConnected(2000))
            return false;
        browser.write("GET / HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
        QByteArray reply;
        while (browser.waitForReadyRead(2000))
            reply += browser.readAll();
        return reply.startsWith("HTTP/1.1 200");
    };
    EXPECT_TRUE(QTest::qWaitFor(served, 10'000));

    QTest::mouseClick(check("cbLiveResults"), Qt::LeftButton);
    EXPECT_EQ(window->liveResults(), nullptr);
    QTcpSocket refused;
    refused.connectToHost(QHostAddress::LocalHost, port);
    EXPECT_FALSE(refused.waitForConnected(1000));

    // The port is kept with the event: the next window offers it again.
    EXPECT_EQ(EventSettings::load(folderOf(dir)).livePort, port);
    const SharedEventSetup following(folderOf(dir));
    EventLocation location;
    location.eventDirectory = folderOf(dir);
    const TfServerMain next(location, following);
    EXPECT_EQ(next.findChild<QSpinBox *>(QStringLiteral("seLivePort"))->value(), port);
}

TEST_F(ServerWindowFixture, ALiveResultsProblemIsLoggedOnceHoweverOftenTheyAreSwitchedOn)
{
    for (const char *name : {"Esimene", "Teine"})
        insertRow(*data, QStringLiteral("team"), {{"number", 5}, {"name", name}, {"class", "A"}});
    window->findChild<QSpinBox *>(QStringLiteral("seLivePort"))->setValue(freePort());
    const auto told = [&] { return window->log().lines().filter(QStringLiteral("Team number 5 is shared")).size(); };
    for (int round = 0; round < 3; ++round) {
        QTest::mouseClick(check("cbLiveResults"), Qt::LeftButton);
        ASSERT_NE(window->liveResults(), nullptr);
        ASSERT_TRUE(QTest::qWaitFor([&] { return window->liveResults()->site().version() > 0 && told() > 0; }, 10'000));
        QTest::qWait(100); // a line queued by the build
        QTest::mouseClick(check("cbLiveResults"), Qt::LeftButton);
    }
    EXPECT_EQ(told(), 1);
}

TEST_F(ServerWindowFixture, ALiveResultsPortInUseIsReportedAndLeftUnchecked)
{
    QTcpServer occupant;
    ASSERT_TRUE(occupant.listen(QHostAddress::AnyIPv4, 0));
    window->findChild<QSpinBox *>(QStringLiteral("seLivePort"))->setValue(occupant.serverPort());
    QString shown;
    QTimer::singleShot(100, [&] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            shown = box->text();
            box->accept();
        }
    });
    QTest::mouseClick(check("cbLiveResults"), Qt::LeftButton);
    EXPECT_TRUE(shown.contains(QString::number(occupant.serverPort()))) << shown.toStdString();
    EXPECT_FALSE(check("cbLiveResults")->isChecked());
    EXPECT_EQ(window->liveResults(), nullptr);
}

TEST(ServerLogModel, NewestOnTopAndTheOldestDropped)
{
    ServerLogModel log;
    for (int i = 0; i < ServerLogModel::MaxLines + 5; ++i)
        log.addLine(QString::number(i));
    EXPECT_EQ(log.rowCount(), ServerLogModel::MaxLines);
    EXPECT_EQ(log.lines().first(), QString::number(ServerLogModel::MaxLines + 4));
    EXPECT_EQ(log.lines().last(), QStringLiteral("5"));
}
