#include "TestFolder.h"
#include "EventRows.h"
#include "cli/CliRun.h"
#include "exports/MapPicture.h"

#include "store/uData.h"

#include <QSqlQuery>
#include <gtest/gtest.h>

namespace {

struct CliListExports : ::testing::Test
{
    QTemporaryDir program;

    void SetUp() override
    {
        QDir().mkpath(folderOf(program) + QStringLiteral("event"));
        TdmData data(folderOf(program) + QStringLiteral("event/"));
        const qint64 owls = insertRow(data, QStringLiteral("team"), {{"number", 7}, {"name", "Õun"}, {"class", "H12"}});
        insertRow(data, QStringLiteral("runner"), {{"team_id", owls}, {"firstname", "Anna"}, {"lastname", "Tamm"}, {"chipnr", "101"}});
    }
    CliRun exportCli(const QStringList &arguments)
    {
        return runCliIn(program.path(), QStringList({"--event", "event", "export"}) + arguments);
    }
    QByteArray written(const QString &name) { return readFile(folderOf(program) + name); }
};

} // namespace

TEST_F(CliListExports, ListsGoToTheNamedFileInTheChosenEncoding)
{
    const CliRun participants = exportCli({"participants", "list.csv"});
    ASSERT_EQ(participants.exitCode, 0) << participants.err.toStdString();
    EXPECT_EQ(participants.out, QStringLiteral("list.csv\n"));
    EXPECT_EQ(written(QStringLiteral("list.csv")), QByteArray("NR;Firstname;LastName;Club;TeamName;Class;\r\n7;Anna;Tamm;;\xC3\x95un;H12;\r\n"));

    ASSERT_EQ(exportCli({"cardex", "cardex.txt"}).exitCode, 0);
    EXPECT_EQ(written(QStringLiteral("cardex.txt")), QByteArray("7;101;Anna;Tamm;\xC3\x95un;H12;00:00:00;\r\n"));
    // Every list takes an encoding on the command line; the windows offer it for one list only.
    ASSERT_EQ(exportCli({"cardex", "cardex.txt", "--encoding", "Unicode"}).exitCode, 0);
    EXPECT_TRUE(written(QStringLiteral("cardex.txt")).startsWith(QByteArray("\xFF\xFE" "7\0;\0", 6)));
    ASSERT_EQ(exportCli({"teaminfo", "info.txt"}).exitCode, 0);
    EXPECT_TRUE(written(QStringLiteral("info.txt")).startsWith("\r\n\r\n>---------- ----------\r\n  7        H12 \xC3\x95un \r\n"));

    ASSERT_EQ(exportCli({"teams-runners", "teams.csv"}).exitCode, 0);
    EXPECT_TRUE(written(QStringLiteral("teams.csv")).startsWith("Number|Name|"));
    const CliRun bigEndian = exportCli({"teams-runners", "--encoding", "Big Endian Unicode", "teams.csv"});
    ASSERT_EQ(bigEndian.exitCode, 0) << bigEndian.err.toStdString();
    EXPECT_TRUE(written(QStringLiteral("teams.csv")).startsWith(QByteArray("\xFE\xFF\0N", 4)));
}

TEST_F(CliListExports, TrailplotWritesBesideTheMapPicture)
{
    const CliRun missing = exportCli({"trailplot"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.contains(QLatin1String("No MAP file"))) << missing.err.toStdString();
    EXPECT_TRUE(missing.out.isEmpty());

    writeFile(folderOf(program) + QStringLiteral("event/rogainmap.gif"), gifPicture(20, 10));
    const CliRun run = exportCli({"trailplot"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("event/rogainmap.rada\nevent/rogainmap.txt\n"));
    EXPECT_TRUE(written(QStringLiteral("event/rogainmap.rada")).startsWith("[general]\r\nmap=rogainmap.gif\r\n"));
}

TEST_F(CliListExports, RefusesWhatItCannotDo)
{
    const struct
    {
        QStringList arguments;
        const char *message;
    } refusals[] = {
        {{"participants"}, "participants needs the name of the file to write"},
        {{"participants", "a.csv", "b.csv"}, "participants writes one file, got \"a.csv\", \"b.csv\""},
        {{"trailplot", "routes.txt"}, "trailplot takes no file name, got \"routes.txt\""},
        {{"cardex", "c.txt", "--encoding", "Latin-1"},
         "Unknown encoding \"Latin-1\"; the encodings are ANSI, ASCII, Unicode, Big Endian Unicode, UTF-8, UTF-7"},
        {{"teams-runners", "t.csv", "--encoding"}, "--encoding needs a value"},
        {{"teams-runners", "t.csv", "--encoding", "UTF-16"},
         "Unknown encoding \"UTF-16\"; the encodings are ANSI, ASCII, Unicode, Big Endian Unicode, UTF-8, UTF-7"},
        {{"teaminfo", "i.txt", "--compress"}, "teaminfo takes no --compress"},
        {{"teaminfo", "i.txt", "--classes"}, "Unknown export option \"--classes\""},
    };
    for (const auto &refusal : refusals) {
        const CliRun run = exportCli(refusal.arguments);
        EXPECT_EQ(run.exitCode, 1) << refusal.message;
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(refusal.message))) << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty()) << refusal.message;
    }
    for (const char *file : {"a.csv", "b.csv", "c.txt", "t.csv", "i.txt", "event/rogainmap.rada"})
        EXPECT_FALSE(QFile::exists(folderOf(program) + QLatin1String(file))) << file;
}

TEST_F(CliListExports, TheEventDatabaseIsNoListFile)
{
    ASSERT_TRUE(QFile::link(QStringLiteral("event/rogain.abs"), folderOf(program) + QStringLiteral("link.csv")));
    // No -journal exists in WAL mode; one written would be removed at the next open.
    for (const char *target : {"event/rogain.abs", "link.csv", "event/rogain.abs-journal", "event/../event/rogain.abs-wal"}) {
        const CliRun run = exportCli({"participants", QLatin1String(target)});
        EXPECT_EQ(run.exitCode, 1) << target;
        EXPECT_TRUE(run.err.contains(QLatin1String("it is the event's database"))) << run.err.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(folderOf(program) + QStringLiteral("event/rogain.abs-journal")));
    TdmData data(folderOf(program) + QStringLiteral("event/"));
    QSqlQuery teams = data.connection().exec(QStringLiteral("SELECT count(*) FROM team"));
    ASSERT_TRUE(teams.next());
    EXPECT_EQ(teams.value(0).toInt(), 1);
}
