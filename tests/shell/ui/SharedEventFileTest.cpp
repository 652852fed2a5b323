// The event file shared by the window and other programs: the window's
// dialogs leave its locks alone so nothing either side writes is lost, and
// when the store fails anyway the main window says so in red until it works.

#include "ModalDialogs.h"
#include "EventRows.h"
#include "ProcessLocks.h"
#include "cli/CliRun.h"
#include "readout/ReadoutFixture.h"

#include "readout/ReadoutServer.h"
#include "readout/ui/uServerMain.h"
#include "reports/ui/uwbReport.h"
#include "shell/ui/uRogMain.h"

#include <QAction>
#include <QLabel>
#include <QMessageBox>
#include <QTextBrowser>
#include <QTcpSocket>
#include <QTest>
#include <QToolBar>

namespace {

struct SharedEventWindow : ReadoutFixture
{
    std::unique_ptr<TfRogMain> window;

    void SetUp() override
    {
        ReadoutFixture::SetUp();
        EventLocation location;
        location.program = ProgramFiles::inProgramDirectory(folderOf(dir));
        location.eventDirectory = folderOf(dir);
        location.resultsDirectory = folderOf(dir) + QStringLiteral("results/");
        location.confirmed = true;
        window = std::make_unique<TfRogMain>(location, *data, shared);
        window->show();
    }

    CliRun cli(const QStringList &arguments) { return runCliIn(folderOf(dir), QStringList{"--event", folderOf(dir)} + arguments); }

    QLabel *alarm() { return window->findChild<QLabel *>(QStringLiteral("StoreAlarm")); }
    QLabel *serverAlarm() { return window->findChild<QLabel *>(QStringLiteral("lStoreFault")); }

    // "Load started" with the list chosen in its dialog once the dialog has listed the event folder.
    void loadStarted(const QString &list)
    {
        whenModal<QFileDialog>([&](QFileDialog *dialog) {
            EXPECT_TRUE(waitUntilListed(dialog, dir.path(), 1));
            typeFileName(dialog, list);
        });
        whenModal<QMessageBox>([](QMessageBox *summary) { summary->accept(); });
        window->command("actLoadStarted")->trigger();
    }

    // A station's readout of chip 8001234 on a new connection; the reply line.
    QByteArray readout(quint16 port)
    {
        QTcpSocket station;
        QByteArray received;
        QObject::connect(&station, &QTcpSocket::readyRead, [&] { received += station.readAll(); });
        station.connectToHost(QHostAddress::LocalHost, port);
        if (!QTest::qWaitFor([&] { return received.endsWith("ResultService\r\n"); }, 5000))
            return "no banner";
        received.clear();
        station.write("si\r\n");
        if (!QTest::qWaitFor([&] { return received == "OK\r\n"; }, 5000))
            return "no answer to si";
        received.clear();
        station.write(("s " + exampleRecord + "\r\n").toLatin1());
        return QTest::qWaitFor([&] { return received.endsWith("\r\n"); }, 5000) ? received : QByteArray("no reply");
    }
};

} // namespace

TEST_F(SharedEventWindow, DialogsAndOtherProgramsLoseNothingOfEachOther)
{
    const QStringList locks = ownLocks();
    ASSERT_FALSE(locks.isEmpty());
    writeFile(folderOf(dir) + QStringLiteral("started.csv"), "12;8001234\r\n");
    loadStarted(folderOf(dir) + QStringLiteral("started.csv"));
    ASSERT_EQ(findRow(*data, QStringLiteral("runner"), runnerId)->value("started").toInt(), 1);

    // Other programs open and close the file: the window's change is theirs to see.
    ASSERT_EQ(cli({"info"}).exitCode, 0);
    EXPECT_EQ(cli({"sql", "SELECT started FROM runner"}).out.trimmed(), QStringLiteral("1;"));
    const CliRun renamed = cli({"sql", "--yes", "UPDATE team SET name='Renamed elsewhere'"});
    ASSERT_EQ(renamed.exitCode, 0) << renamed.err.toStdString();

    // The window sees the other program's change, and its next one reaches the others.
    EXPECT_EQ(findRow(*data, QStringLiteral("team"), teamId)->value("name").toString(), QStringLiteral("Renamed elsewhere"));
    updateRow(*data, QStringLiteral("runner"), runnerId, {{QStringLiteral("started"), false}});
    EXPECT_EQ(cli({"sql", "SELECT started FROM runner"}).out.trimmed(), QStringLiteral("0;"));
    loadStarted(folderOf(dir) + QStringLiteral("started.csv"));
    EXPECT_EQ(cli({"sql", "SELECT started FROM runner"}).out.trimmed(), QStringLiteral("1;"));

    EXPECT_TRUE(locksKept(locks));
    EXPECT_TRUE(QFile::exists(TdmData::databaseFileName(folderOf(dir)) + QStringLiteral("-wal")));
    EXPECT_TRUE(QFile::exists(TdmData::databaseFileName(folderOf(dir)) + QStringLiteral("-shm")));
    EXPECT_FALSE(alarm()->isVisible());
}

TEST_F(SharedEventWindow, FilesReplacedUnderTheWindowAreShownInRed)
{
    EXPECT_FALSE(alarm()->isVisible());
    // What another program does when it takes the database for unused.
    ASSERT_TRUE(QFile::remove(TdmData::databaseFileName(folderOf(dir)) + QStringLiteral("-wal")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return alarm()->isVisible(); }, 5000));
    EXPECT_TRUE(alarm()->text().contains(QLatin1String("rogain.abs-wal was deleted or replaced by another program"))) << alarm()->text().toStdString();
}

TEST_F(SharedEventWindow, StationsRefusedByTheStoreAreShownInRedUntilAReadoutIsStored)
{
    ReadoutServer &server = window->findChild<TfServerMain *>()->server();
    server.start(0, 5);
    ASSERT_TRUE(server.isListening());
    data->connection().exec(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON res_cp BEGIN SELECT RAISE(ABORT, 'disk I/O error'); END"));
    EXPECT_EQ(readout(server.port()), QByteArray("ERR\r\n"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return alarm()->isVisible() && serverAlarm()->isVisible(); }, 5000));
    for (const QLabel *label : {alarm(), serverAlarm()})
        EXPECT_TRUE(label->text().startsWith(QLatin1String("Readouts are refused: ")) && label->text().contains(QLatin1String("disk I/O error")))
            << label->text().toStdString();

    data->connection().exec(QStringLiteral("DROP TRIGGER refuse"));
    EXPECT_TRUE(readout(server.port()).startsWith("S 8001234;"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !alarm()->isVisible() && !serverAlarm()->isVisible(); }, 5000));
    server.StopServer();
}

TEST_F(SharedEventWindow, AReportPageThatNamesTheDatabaseAsAPictureLeavesItAlone)
{
    const QStringList locks = ownLocks();
    const QString page = folderOf(dir) + QStringLiteral("results/page.htm");
    writeFile(page, "<html><body><p>Results</p><img src=\"../rogain.abs\"><img src=\"" + folderOf(dir).toUtf8()
                        + "rogain.abs-shm\"></body></html>");
    window->ShowReport(page);
    auto *viewer = window->findChild<TfwbReport *>();
    EXPECT_TRUE(QTest::qWaitFor([viewer] { return viewer->toolBar()->isEnabled(); }, 5000));
    EXPECT_TRUE(viewer->browser()->toPlainText().contains(QLatin1String("Results")));
    EXPECT_TRUE(locksKept(locks));
}
