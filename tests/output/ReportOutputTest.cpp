#include "TestFolder.h"

#include "output/ReportDirectory.h"
#include "output/ReportFileOutput.h"
#include "base/KorventError.h"

#include <QFileInfo>
#include <QIODevice>
#include <gtest/gtest.h>
#include <optional>

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
        location.program = ProgramFiles::inProgramDirectory(folderOf(dir) + QStringLiteral("program/"));
        location.eventDirectory = folderOf(dir) + QStringLiteral("event/");
        location.resultsDirectory = location.eventDirectory + QStringLiteral("results/");
        writeFile(location.program.userFolder + QStringLiteral("style.css"), "screen");
        writeFile(location.program.userFolder + QStringLiteral("style_p.css"), "print");
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

TEST_F(FileOutputFixture, NamesTheFileItCannotWriteAndReplacesNoneOfTheRun)
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
    EXPECT_EQ(readFile(location.resultsDirectory + QStringLiteral("checklist.htm")), QByteArray("an old and much longer check list"));
}

namespace {

// The web folder of an earlier run, and a new run of its pages.
struct WebRunFixture : FileOutputFixture
{
    QString web;
    std::vector<ReportFile> pages;

    void SetUp() override
    {
        FileOutputFixture::SetUp();
        web = location.eventDirectory + QStringLiteral("web/");
        PrepareReportDirectory(location.program, web);
        pages.push_back({ReportFolder::Web, QStringLiteral("results.htm")});
        for (int team = 1; team <= 6; ++team)
            pages.push_back({ReportFolder::Web, QStringLiteral("teamresult_%1.htm").arg(team)});
        for (const ReportFile &page : pages)
            writeFile(web + page.name, "old " + page.name.toUtf8());
        writeFile(web + QStringLiteral("notes.txt"), "the operator's own");
    }

    // The run's pages with `broken` (when given) as its file number `at`.
    void commitRun(const std::optional<ReportFile> &broken = std::nullopt, size_t at = 0)
    {
        ReportFileOutput output(location);
        for (size_t i = 0; i < pages.size(); ++i) {
            if (broken && i == at)
                output.create(*broken).write("new broken");
            output.create(pages[i]).write("new " + pages[i].name.toUtf8());
        }
        output.commit();
    }
};

} // namespace

TEST_F(WebRunFixture, ARunThatCannotWriteOneFileLeavesEveryFileAsItWasAndNoTemporaryFile)
{
    const QString tooLong = QString(300, u'x') + QStringLiteral(".htm");
    const QString missingFolder = folderOf(dir) + QStringLiteral("gone/list.csv");
    ASSERT_TRUE(QFile::remove(web + QStringLiteral("teamresult_4.htm")));
    writeFile(web + QStringLiteral("teamresult_4.htm/x"), "in the way");
    pages.erase(pages.begin() + 4); // its folder stands in the way
    const struct
    {
        ReportFile broken;
        size_t at;
        QString named;
        QString reason;
    } cases[] = {
        {{ReportFolder::Web, QStringLiteral("teamresult_4.htm")}, 3, web + QStringLiteral("teamresult_4.htm"), QStringLiteral("it is a folder")},
        {{ReportFolder::Web, tooLong}, 5, web + tooLong, QStringLiteral("File name too long")},
        {{ReportFolder::Chosen, missingFolder}, pages.size() - 1, missingFolder, QStringLiteral("No such file or directory")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.named.toStdString());
        const std::string before = folderContents(folderOf(dir)).join(u'\n').toStdString();
        try {
            commitRun(c.broken, c.at);
            ADD_FAILURE() << "the run was reported written";
        } catch (const KorventError &error) {
            EXPECT_EQ(error.message(), QStringLiteral("Cannot write %1: %2").arg(c.named, c.reason));
        }
        EXPECT_EQ(folderContents(folderOf(dir)).join(u'\n').toStdString(), before);
    }
}

TEST_F(WebRunFixture, ASuccessfulRunReplacesEveryFileKeepingLinksAndPermissions)
{
    // A page kept elsewhere and linked into the folder stays linked; the file it leads to is replaced.
    const QString kept = folderOf(dir) + QStringLiteral("kept results.htm");
    writeFile(kept, "old kept");
    QFile::remove(web + QStringLiteral("results.htm"));
    ASSERT_TRUE(QFile::link(kept, web + QStringLiteral("results.htm")));
    ASSERT_TRUE(QFile::setPermissions(web + QStringLiteral("teamresult_2.htm"),
                                      QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther));
    const QFileDevice::Permissions readable = QFile::permissions(web + QStringLiteral("teamresult_2.htm"));

    commitRun();
    for (const ReportFile &page : pages)
        EXPECT_EQ(readFile(web + page.name), "new " + page.name.toUtf8()) << page.name.toStdString();
    EXPECT_TRUE(QFileInfo(web + QStringLiteral("results.htm")).isSymLink());
    EXPECT_EQ(readFile(kept), QByteArray("new results.htm"));
    EXPECT_EQ(QFile::permissions(web + QStringLiteral("teamresult_2.htm")), readable);
    QStringList left = QDir(web).entryList(QDir::Files | QDir::Hidden);
    left.sort();
    EXPECT_EQ(left, QStringList({QStringLiteral("notes.txt"), QStringLiteral("results.htm"), QStringLiteral("style.css"),
                                 QStringLiteral("style_p.css"), QStringLiteral("teamresult_1.htm"), QStringLiteral("teamresult_2.htm"),
                                 QStringLiteral("teamresult_3.htm"), QStringLiteral("teamresult_4.htm"),
                                 QStringLiteral("teamresult_5.htm"), QStringLiteral("teamresult_6.htm")}));
    EXPECT_EQ(readFile(web + QStringLiteral("notes.txt")), QByteArray("the operator's own"));
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
