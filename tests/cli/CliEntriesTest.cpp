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
    EXPECT_EQ(run.out, QStringLiteral("Imported 2 runners: 1 teams added, 0 updated, 0 lines skipped\n"));

    EventSettings settings;
    settings.rgControlCard = EventSettings::CardPerRunner;
    settings.save(event);
    run = cli({"import", "chips", file("chips.txt", "901\r\n")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("Handed out 1 chips\n"));
    EXPECT_TRUE(run.err.contains(QLatin1String("List is empty")));

    run = cli({"import", "started", file("started.csv", "1;901\r\n8001234\r\n")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("Started 1 runners, 1 lines passed over\n"));

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
        EXPECT_TRUE(run.err.contains(QLatin1String(failure.message))) << run.err.toStdString();
    }
    EXPECT_EQ(TdmData(event).rowCount(QStringLiteral("team")), 1);
}
