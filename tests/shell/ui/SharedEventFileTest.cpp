// The event file shared by the window and other programs: the window's
// dialogs leave its locks alone so nothing either side writes is lost.

#include "ModalDialogs.h"
#include "ProcessLocks.h"
#include "cli/CliRun.h"
#include "readout/ReadoutFixture.h"

#include "reports/ui/uwbReport.h"
#include "shell/ui/uRogMain.h"

#include <QAction>
#include <QTextBrowser>

namespace {

struct SharedEventWindow : ReadoutFixture
{
    std::unique_ptr<TfRogMain> window;

    void SetUp() override
    {
        ReadoutFixture::SetUp();
        EventLocation location;
        location.programDirectory = folderOf(dir);
        location.eventDirectory = folderOf(dir);
        location.resultsDirectory = folderOf(dir) + QStringLiteral("results/");
        location.confirmed = true;
        window = std::make_unique<TfRogMain>(location, *data, shared);
        window->show();
    }

    CliRun cli(const QStringList &arguments) { return runCliIn(folderOf(dir), QStringList{"--event", folderOf(dir)} + arguments); }

    // "Load started" with the list chosen in its dialog once the dialog has listed the event folder.
    void loadStarted(const QString &list)
    {
        whenModal<QFileDialog>([&](QFileDialog *dialog) {
            EXPECT_TRUE(waitUntilListed(dialog, dir.path(), 1));
            typeFileName(dialog, list);
        });
        window->command("actLoadStarted")->trigger();
    }
};

} // namespace

TEST_F(SharedEventWindow, DialogsAndOtherProgramsLoseNothingOfEachOther)
{
    const QStringList locks = ownLocks();
    ASSERT_FALSE(locks.isEmpty());
    writeFile(folderOf(dir) + QStringLiteral("started.csv"), "12;8001234\r\n");
    loadStarted(folderOf(dir) + QStringLiteral("started.csv"));
    ASSERT_EQ(data->findRow(QStringLiteral("runner"), runnerId)->value("started").toInt(), 1);

    // Other programs open and close the file: the window's change is theirs to see.
    ASSERT_EQ(cli({"info"}).exitCode, 0);
    EXPECT_EQ(cli({"sql", "SELECT started FROM runner"}).out.trimmed(), QStringLiteral("1;"));
    const CliRun renamed = cli({"sql", "--yes", "UPDATE team SET name='Renamed elsewhere'"});
    ASSERT_EQ(renamed.exitCode, 0) << renamed.err.toStdString();

    // The window sees the other program's change, and its next one reaches the others.
    EXPECT_EQ(data->findRow(QStringLiteral("team"), teamId)->value("name").toString(), QStringLiteral("Renamed elsewhere"));
    data->updateRow(QStringLiteral("runner"), runnerId, {{QStringLiteral("started"), false}});
    EXPECT_EQ(cli({"sql", "SELECT started FROM runner"}).out.trimmed(), QStringLiteral("0;"));
    loadStarted(folderOf(dir) + QStringLiteral("started.csv"));
    EXPECT_EQ(cli({"sql", "SELECT started FROM runner"}).out.trimmed(), QStringLiteral("1;"));

    EXPECT_EQ(ownLocks(), locks);
    EXPECT_TRUE(QFile::exists(TdmData::databaseFileName(folderOf(dir)) + QStringLiteral("-wal")));
    EXPECT_TRUE(QFile::exists(TdmData::databaseFileName(folderOf(dir)) + QStringLiteral("-shm")));
}

TEST_F(SharedEventWindow, AReportPageThatNamesTheDatabaseAsAPictureLeavesItAlone)
{
    const QStringList locks = ownLocks();
    const QString page = folderOf(dir) + QStringLiteral("results/page.htm");
    writeFile(page, "<html><body><p>Results</p><img src=\"../rogain.abs\"><img src=\"" + folderOf(dir).toUtf8()
                        + "rogain.abs-shm\"></body></html>");
    window->ShowReport(page);
    QTest::qWait(100);
    EXPECT_TRUE(window->findChild<TfwbReport *>()->browser()->toPlainText().contains(QLatin1String("Results")));
    EXPECT_EQ(ownLocks(), locks);
}
