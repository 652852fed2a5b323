#include "TestFolder.h"

#include "cli/CliRun.h"

#include <QImageReader>
#include <gtest/gtest.h>

namespace {

struct CliResults : ::testing::Test
{
    QTemporaryDir program;

    void SetUp() override
    {
        QDir().mkpath(folderOf(program) + QStringLiteral("event"));
        for (const char *file : {"header.htm", "style.css", "style_p.css", "countrys.txt"})
            writeFile(folderOf(program) + QStringLiteral("common/") + QLatin1String(file),
                      readFile(QStringLiteral(KORVENT_SOURCE_DIR "/common/") + QLatin1String(file)));
        ASSERT_EQ(cli({"generate", "--teams", "12"}).exitCode, 0);
        ASSERT_EQ(cli({"calculate", "--all"}).exitCode, 0);
    }
    CliRun cli(const QStringList &arguments)
    {
        return runCliIn(program.path(), QStringList({"--event", "event"}) + arguments);
    }
    QString page(const char *name)
    {
        return QString::fromUtf8(readFile(folderOf(program) + QStringLiteral("event/") + QLatin1String(name)));
    }
};

} // namespace

TEST_F(CliResults, EveryMainClassInTreeOrderWithoutClassOptions)
{
    const CliRun table = cli({"report", "results-table"});
    ASSERT_EQ(table.exitCode, 0) << table.err.toStdString();
    EXPECT_EQ(table.out, QStringLiteral("event/results/results.htm\n"));
    const QString written = page("results/results.htm");
    const qsizetype r12 = written.indexOf(QLatin1String("<span class=\"classheader\">R12</span>"));
    const qsizetype r6 = written.indexOf(QLatin1String("<span class=\"classheader\">R6</span>"));
    EXPECT_GE(r12, 0);
    EXPECT_GT(r6, r12);

    const CliRun winners = cli({"report", "winners", "--class", "R6"});
    ASSERT_EQ(winners.exitCode, 0) << winners.err.toStdString();
    EXPECT_EQ(winners.out, QStringLiteral("event/results/results.htm\nevent/winners.csv\n"));
    EXPECT_FALSE(page("results/results.htm").contains(QLatin1String("classheader\">R12<")));
    EXPECT_TRUE(page("winners.csv").startsWith(QLatin1String("NR;Firstname;Lastname;Country;Teamname;Class;Place;Result;Time;TotalPlace\r\n")));
}

TEST_F(CliResults, SplitsPerClassAndWebPagesWithRouteMaps)
{
    const CliRun splits = cli({"report", "results-splits", "--class", "R6", "--per-class"});
    ASSERT_EQ(splits.exitCode, 0) << splits.err.toStdString();
    EXPECT_EQ(splits.out, QStringLiteral("event/results/resultsR6.htm\nevent/results/teamsControlSameTime.txt\nevent/results/CheckTeams_Together.txt\n"));
    EXPECT_TRUE(page("results/resultsR6.htm").contains(QLatin1String("class=\"css_splits\"")));

    ASSERT_EQ(cli({"settings", "set", "cbTeamRoute=1"}).exitCode, 0);
    const CliRun web = cli({"report", "results-web"});
    ASSERT_EQ(web.exitCode, 0) << web.err.toStdString();
    EXPECT_TRUE(web.out.contains(QLatin1String("event/web/teamresult_1.htm\n")));
    EXPECT_TRUE(web.out.endsWith(QLatin1String("event/web/results.htm\n")));
    const QString results = page("web/results.htm");
    EXPECT_TRUE(results.contains(QLatin1String("function openPopUp(url, name)")));
    EXPECT_TRUE(results.contains(QLatin1String("<a href=\"javascript:openPopUp('teamresult_1.htm','1');\">")));
    EXPECT_TRUE(page("web/teamresult_1.htm").contains(QLatin1String("<img src=\"map_1.gif\" alt=\"\" />")));
    QImageReader map(folderOf(program) + QStringLiteral("event/web/map_1.gif"));
    EXPECT_EQ(map.format(), QByteArray("gif"));
    EXPECT_EQ(map.size().width(), 520); // the default map width and its margins
    EXPECT_TRUE(QFileInfo::exists(folderOf(program) + QStringLiteral("event/web/style.css")));
}

TEST_F(CliResults, ClassesAfterOneOptionOrRepeatedAndUnknownClassesRefused)
{
    for (const QStringList &options : {QStringList({"--class", "R6", "R12"}), QStringList({"--class", "R6", "--class", "R12"})}) {
        const CliRun table = cli(QStringList({"report", "results-table"}) + options);
        ASSERT_EQ(table.exitCode, 0) << table.err.toStdString();
        const QString written = page("results/results.htm");
        const qsizetype r6 = written.indexOf(QLatin1String("<span class=\"classheader\">R6</span>"));
        EXPECT_GE(r6, 0);
        EXPECT_GT(written.indexOf(QLatin1String("<span class=\"classheader\">R12</span>")), r6);
    }

    const QString before = page("results/results.htm");
    const CliRun unknown = cli({"report", "results-splits", "--class", "R6", "--class", "R66"});
    EXPECT_NE(unknown.exitCode, 0);
    EXPECT_TRUE(unknown.err.contains(QLatin1String("Unknown class \"R66\"; the classes are R12, R6"))) << unknown.err.toStdString();
    EXPECT_TRUE(unknown.out.isEmpty());
    EXPECT_EQ(page("results/results.htm"), before);
}

TEST_F(CliResults, CalculationAndResultsWarnOfTeamsListedWithoutMembersUntilRunnersAreMarked)
{
    const QString warning = QStringLiteral("teams in the results have no started runner: their members are not listed");
    ASSERT_EQ(cli({"sql", "--yes", "UPDATE runner SET started=0"}).exitCode, 0);
    for (const QStringList &command : {QStringList{"calculate", "--all"}, QStringList{"report", "results-table"}}) {
        const CliRun run = cli(command);
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(QLatin1String("warning: ")) && run.err.contains(warning)) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(QLatin1String("korvent-cli teams mark-started --read-out | --all"))) << run.err.toStdString();
        EXPECT_FALSE(run.err.contains(QLatin1String("Tools menu"))) << run.err.toStdString();
    }
    const CliRun marked = cli({"teams", "mark-started", "--read-out"});
    ASSERT_EQ(marked.exitCode, 0) << marked.err.toStdString();
    EXPECT_TRUE(marked.out.startsWith(QLatin1String("Marked "))) << marked.out.toStdString();
    for (const QStringList &command : {QStringList{"calculate", "--all"}, QStringList{"report", "results-table"}}) {
        const CliRun run = cli(command);
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_FALSE(run.err.contains(warning)) << run.err.toStdString();
    }
}
