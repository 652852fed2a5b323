#include "TestFolder.h"

#include "reports/ReportFileOutput.h"
#include "base/KorventError.h"

#include <QFileInfo>
#include <QIODevice>
#include <gtest/gtest.h>

TEST(ReportOutput, KeepsEachFileInOrderAndStartsItAfreshWhenAskedAgain)
{
    MemoryReportOutput output;
    const ReportFile page{ReportFolder::Results, QStringLiteral("results.htm")};
    const ReportFile winners{ReportFolder::Event, QStringLiteral("winners.csv")};
    output.create(page).write("first");
    output.create(winners).write("1;Owls");
    output.create(page).write("second");
    EXPECT_EQ(output.files(), QList<ReportFile>({page, winners}));
    EXPECT_EQ(output.bytes(page), QByteArray("second"));
    EXPECT_EQ(output.bytes(winners), QByteArray("1;Owls"));
    EXPECT_EQ(output.bytes({ReportFolder::Web, QStringLiteral("results.htm")}), QByteArray());
    EXPECT_FALSE(output.committed());
}

TEST(ReportOutput, NamesInAFolderArePlainFileNames)
{
    MemoryReportOutput output;
    for (const char *name : {"", ".", "..", "resultsH/12.htm", "results..\\H12.htm", "../escape.htm"}) {
        try {
            output.create({ReportFolder::Results, QString::fromLatin1(name)});
            FAIL() << "accepted " << name;
        } catch (const KorventError &error) {
            EXPECT_EQ(error.message(), QStringLiteral("\"%1\" cannot be used as a file name").arg(QLatin1String(name)));
        }
    }
    EXPECT_THROW(output.create({ReportFolder::Chosen, QString()}), KorventError);
    EXPECT_NO_THROW(output.create({ReportFolder::Chosen, QStringLiteral("/somewhere/teams.csv")}));
    EXPECT_NO_THROW(output.create({ReportFolder::Results, QStringLiteral("results H12 (6h).htm")}));
    EXPECT_EQ(output.files().size(), 2);
}

namespace {

struct FileOutputFixture : ::testing::Test
{
    QTemporaryDir dir;
    EventLocation location;

    void SetUp() override
    {
        location.programDirectory = folderOf(dir) + QStringLiteral("program/");
        location.eventDirectory = folderOf(dir) + QStringLiteral("event/");
        location.resultsDirectory = location.eventDirectory + QStringLiteral("results/");
        writeFile(location.programDirectory + QStringLiteral("common/style.css"), "screen");
        writeFile(location.programDirectory + QStringLiteral("common/style_p.css"), "print");
        QDir().mkpath(location.eventDirectory);
    }
};

} // namespace

TEST_F(FileOutputFixture, WritesNothingBeforeCommitThenEveryFileInItsFolder)
{
    const QString chosen = folderOf(dir) + QStringLiteral("my.exports/teams");
    QDir().mkpath(folderOf(dir) + QStringLiteral("my.exports"));
    ReportFileOutput output(location);
    const ReportFile files[] = {{ReportFolder::Results, QStringLiteral("startlist.htm")},
                                {ReportFolder::Web, QStringLiteral("teamresult_7.htm")},
                                {ReportFolder::Event, QStringLiteral("winners.csv")},
                                {ReportFolder::Chosen, chosen}};
    const QString paths[] = {location.resultsDirectory + QStringLiteral("startlist.htm"),
                             location.eventDirectory + QStringLiteral("web/teamresult_7.htm"),
                             location.eventDirectory + QStringLiteral("winners.csv"), chosen};
    for (int i = 0; i < 4; ++i) {
        output.create(files[i]).write(QByteArray("file ") + QByteArray::number(i));
        EXPECT_EQ(output.path(files[i]), paths[i]);
    }
    for (const QString &path : paths)
        EXPECT_FALSE(QFile::exists(path)) << path.toStdString();
    EXPECT_FALSE(QDir(location.eventDirectory + QStringLiteral("web")).exists());

    output.commit();
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(readFile(paths[i]), QByteArray("file ") + QByteArray::number(i)) << paths[i].toStdString();
    // The report folders come with the program's style sheets.
    EXPECT_EQ(readFile(location.eventDirectory + QStringLiteral("web/style.css")), QByteArray("screen"));
    EXPECT_EQ(readFile(location.resultsDirectory + QStringLiteral("style_p.css")), QByteArray("print"));
    EXPECT_FALSE(QFile::exists(location.eventDirectory + QStringLiteral("style.css")));
}

TEST_F(FileOutputFixture, ReplacesOldFilesWholeAndNamesTheFileItCannotWrite)
{
    writeFile(location.resultsDirectory + QStringLiteral("checklist.htm"), "an old and much longer check list");
    ReportFileOutput output(location);
    output.create({ReportFolder::Results, QStringLiteral("checklist.htm")}).write("new");
    const QString nowhere = folderOf(dir) + QStringLiteral("no folder/list.txt");
    output.create({ReportFolder::Chosen, nowhere}).write("lost");
    try {
        output.commit();
        FAIL() << "a file in a missing folder was reported written";
    } catch (const KorventError &error) {
        EXPECT_TRUE(error.message().contains(nowhere)) << error.message().toStdString();
    }
    EXPECT_EQ(readFile(location.resultsDirectory + QStringLiteral("checklist.htm")), QByteArray("new"));
}

TEST_F(FileOutputFixture, TheEventDatabaseAndItsCompanionFilesAreRefusedWithNothingWritten)
{
    const QString database = location.eventDirectory + QStringLiteral("rogain.abs");
    writeFile(database, "database");
    writeFile(database + QStringLiteral("-wal"), "log");
    const QString link = folderOf(dir) + QStringLiteral("teams.csv");
    ASSERT_TRUE(QFile::link(database, link));
    for (const QString &target : {database, database + QStringLiteral("-wal"), link}) {
        ReportFileOutput output(location);
        output.create({ReportFolder::Results, QStringLiteral("startlist.htm")}).write("page");
        output.create({ReportFolder::Chosen, target}).write("list");
        try {
            output.commit();
            ADD_FAILURE() << "wrote " << target.toStdString();
        } catch (const KorventError &error) {
            EXPECT_EQ(error.message(), QStringLiteral("Cannot write %1: it is the event's database").arg(target));
        }
        EXPECT_FALSE(QFile::exists(location.resultsDirectory + QStringLiteral("startlist.htm")));
    }
    EXPECT_EQ(readFile(database), QByteArray("database"));
    EXPECT_EQ(readFile(database + QStringLiteral("-wal")), QByteArray("log"));
}

TEST_F(FileOutputFixture, TheEventsSettingsFilesAreNeverAnExportTarget)
{
    const QString settings = location.eventDirectory + QStringLiteral("setup.ini");
    const QString classes = location.eventDirectory + QStringLiteral("classlist.tree");
    writeFile(settings, "[fEventInfo]\r\nleName=Rogain 2026\r\n");
    writeFile(classes, "H12<*>(12:00:00|012:00:00|00:30:00)\r\n");
    const QString link = folderOf(dir) + QStringLiteral("participants.csv");
    ASSERT_TRUE(QFile::link(classes, link));
    const struct
    {
        QString target;
        const char *reason;
    } cases[] = {
        {settings, "it is the event's settings file"},
        {location.eventDirectory + QStringLiteral("./setup.ini"), "it is the event's settings file"},
        {classes, "it is the event's class list"},
        {link, "it is the event's class list"},
    };
    for (const auto &c : cases) {
        ReportFileOutput output(location);
        output.create({ReportFolder::Chosen, c.target}).write("1;Foxes");
        try {
            output.commit();
            ADD_FAILURE() << "wrote " << c.target.toStdString();
        } catch (const KorventError &error) {
            EXPECT_EQ(error.message(), QStringLiteral("Cannot write %1: %2").arg(c.target, QLatin1String(c.reason)));
        }
    }
    EXPECT_EQ(readFile(settings), QByteArray("[fEventInfo]\r\nleName=Rogain 2026\r\n"));
    EXPECT_EQ(readFile(classes), QByteArray("H12<*>(12:00:00|012:00:00|00:30:00)\r\n"));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
}
