#include "CliRun.h"
#include "TestFolder.h"

#include "base/Platform.h"
#include "store/EventSettings.h"
#include "store/uData.h"

#include <gtest/gtest.h>

namespace {

struct CliEntriesFixture : ::testing::Test
{
    QTemporaryDir program;
    QString event = folderOf(program) + QStringLiteral("event/");

    void SetUp() override { QDir().mkpath(event); }
    CliRun cli(const QStringList &arguments) { return runCliIn(program.path(), QStringList({"--event", "event"}) + arguments); }
    QString file(const char *name, const QByteArray &bytes)
    {
        const QString path = event + QLatin1String(name);
        writeFile(path, bytes);
        return path;
    }
};

} // namespace

TEST_F(CliEntriesFixture, ImportTeamsThenChipsThenStartedAndListTheTeams)
{
    const QString entries = file("import.csv", "id;team;club;class;first;last;born;sex;chip;country\r\n"
                                               "12;Team A;Club;H12;Ann;Lee;00.00.0000;W;  8001234 ;EST\r\n"
                                               "12;Team A;Club;H12;Bob;Ox;1980-05-17;M;;EST\r\n");
    CliRun run = cli({"import", "teams", entries});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("Imported 2 runners: 1 team added, 0 updated, 0 lines skipped\n"));
    // The event has no classes yet: imported all the same, with a word on stderr.
    EXPECT_EQ(run.err, QStringLiteral("warning: Classes not in the class tree: H12 (1 team). The teams are imported; "
                                      "add the classes in the event setup before calculating\n"));

    EventSettings settings;
    settings.controlCard = EventSettings::CardPerRunner;
    settings.save(event);
    run = cli({"import", "chips", file("chips.txt", "901\r\n")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("Handed out 1 chips\n"));
    EXPECT_TRUE(run.err.contains(QLatin1String("List is empty")));

    run = cli({"import", "started", file("started.csv", "1;901\r\n8001234\r\n")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("Started 1 runner, 1 line passed over\n"));

    run = cli({"teams"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("\tTeam A\tH12\t\tClub\tEST\t12\tNA\n"
                                      "\tAnn\tLee\tW\t\t8001234\tEST\t\t\n"
                                      "\tBob\tOx\tM\t1980-05-17\t901\tEST\trent\tstarted\n"));
}

TEST_F(CliEntriesFixture, EncodingsAndErrorsWithTheirLineNumbers)
{
    const QString text = QStringLiteral("id\r\n1;Mägi;Club;H12;Ann;Lee;;W;101;EST\r\n");
    const QString unicode = file("unicode.csv", *Platform::encodeTextFile(QStringLiteral("Unicode"), text));
    CliRun run = cli({"import", "teams", unicode, "--encoding", "Unicode"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(cli({"teams"}).out.startsWith(QStringLiteral("\tMägi\t")));

    const struct { QStringList arguments; const char *message; } failures[] = {
        {{"import", "teams", unicode}, "Line 1"}, // UTF-16 bytes are not UTF-8 text
        {{"import", "teams", file("bad.csv", "id\r\n2;B;Club;H12;Bob;Ox;30.02.1980;M;102;EST\r\n")}, "Line 2"},
        {{"import", "teams", unicode, "--encoding", "EBCDIC"}, "EBCDIC"},
        {{"import", "chips", file("empty.txt", "")}, "List is empty"},
        {{"import", "started", file("wide.csv", "1;2;3;4;5;6;7\r\n")}, "Line 1"},
        {{"import", "chips", unicode, "--encoding", "UTF-8"}, "--encoding"},
        {{"import", "teams"}, "import needs"},
        {{"import", "teams", event + QStringLiteral("missing.csv")}, "missing.csv"},
        {{"teams", "x"}, "no arguments"},
    };
    for (const auto &failure : failures) {
        run = cli(failure.arguments);
        EXPECT_NE(run.exitCode, 0) << failure.arguments.join(u' ').toStdString();
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(failure.message))) << run.err.toStdString();
    }
    EXPECT_EQ(TdmData(event).rowCount(QStringLiteral("team")), 1);
}

TEST_F(CliEntriesFixture, TheShippedExampleImportsAsItIsUnderEveryLocale)
{
    const QString example = QStringLiteral(KORVENT_SOURCE_DIR "/common/import-example.csv");
    for (const char *locale : {"C", "en_US.UTF-8", "et_EE.UTF-8"}) {
        QDir(event).removeRecursively();
        QDir().mkpath(event);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("LC_ALL"), QLatin1String(locale));
        environment.insert(QStringLiteral("LANG"), QLatin1String(locale));
        const auto run = [&](const QStringList &arguments) {
            return runCliIn(program.path(), QStringList({"--event", "event"}) + arguments, environment);
        };
        CliRun imported = run({"import", "teams", example});
        ASSERT_EQ(imported.exitCode, 0) << locale << imported.err.toStdString();
        EXPECT_EQ(imported.out, QStringLiteral("Imported 8 runners: 4 teams added, 0 updated, 0 lines skipped\n")) << locale;
        const QString teams = run({"teams"}).out;
        // d.m.yyyy and ISO dates alike; unknown ones empty.
        for (const char *runner : {"\tJüri\tMägi\tM\t1996-01-19\t8001234\tEST\t\t\n", "\tLiisa\tŠmidt\tW\t1968-11-03\t\tEST\t\t\n",
                                   "\tÜlle\tPõder\tW\t\t\tEST\t\t\n", "\tKärt\tTamm\tW\t1990-08-12\t2101202\tLAT\t\t\n",
                                   "\tMikk\tÖövel\tM\t1979-02-28\t\tFIN\t\t\n"})
            EXPECT_TRUE(teams.contains(QString::fromUtf8(runner))) << locale << " " << runner << "\n" << teams.toStdString();
        EXPECT_TRUE(teams.contains(QStringLiteral("\tKõrve, Tamm & Co\t24h MW\t\tRK Rada\tLAT\t104\tNA\n"))) << teams.toStdString();
    }
}

TEST_F(CliEntriesFixture, NumberTheTeamsAndMarkTheirRunnersStarted)
{
    ASSERT_EQ(cli({"import", "teams", QStringLiteral(KORVENT_SOURCE_DIR "/common/import-example.csv")}).exitCode, 0);
    const struct { QStringList arguments; const char *out; } steps[] = {
        {{"teams", "number", "--class", "6h", "--from", "7"}, "Numbered 1 team: 7\n"},
        {{"teams", "number"}, "Numbered 3 teams: 8-10\n"},
        {{"teams", "number", "--from", "1"}, "Numbered 0 teams: no team is without a number\n"},
        {{"teams", "number", "--class", "6h"}, "Numbered 0 teams: no team is without a number\n"},
        {{"teams", "mark-started", "--read-out"}, "Marked 0 runners as started, 0 were already\n"},
        {{"teams", "mark-started", "--all"}, "Marked 8 runners as started, 0 were already\n"},
    };
    for (const auto &step : steps) {
        const CliRun run = cli(step.arguments);
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_EQ(run.out, QLatin1String(step.out)) << step.arguments.join(u' ').toStdString();
    }
    // Entry order: the file's order; the team of class 6h numbered first.
    const QString teams = cli({"teams"}).out;
    EXPECT_TRUE(teams.startsWith(QStringLiteral("7\tÜlikooli Sõbrad\t6h\t"))) << teams.toStdString();
    EXPECT_TRUE(teams.contains(QStringLiteral("8\tMetsa Mõmmid\t"))) << teams.toStdString();

    const struct { QStringList arguments; const char *message; } failures[] = {
        {{"teams", "number", "--from", "x"}, "--from needs a whole number"},
        {{"teams", "number", "--from", "0"}, "between 1 and"},
        {{"teams", "number", "--from"}, "--from needs"},
        {{"teams", "number", "7"}, "teams number takes"},
        {{"teams", "number", "--class", "6H"}, "no team in class 6H"},
        {{"teams", "number", "--class", "Nöörid"}, "no team in class Nöörid"},
        {{"teams", "mark-started"}, "--read-out or --all"},
        {{"teams", "mark-started", "--read-out", "--all"}, "--read-out or --all"},
    };
    for (const auto &failure : failures) {
        const CliRun run = cli(failure.arguments);
        EXPECT_NE(run.exitCode, 0) << failure.arguments.join(u' ').toStdString();
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(failure.message))) << run.err.toStdString();
    }
}
