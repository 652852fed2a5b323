#include "TestFolder.h"

#include "base/ProgramFiles.h"

#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

// An installed program's files with the user's home in a folder of the test:
// the shared folder holds what the package ships.
struct InstalledFiles : ::testing::Test
{
    QTemporaryDir root;
    QByteArray home = qgetenv("HOME");
    QString shared;

    void SetUp() override
    {
        qputenv("HOME", QFile::encodeName(folderOf(root) + QStringLiteral("home")));
        shared = folderOf(root) + QStringLiteral("usr/share/korvent/");
        for (const char *name : {"header.htm", "style.css", "countrys.txt"})
            writeFile(shared + QLatin1String(name), QByteArray("shipped ") + name);
    }
    void TearDown() override { qputenv("HOME", home); }
};

} // namespace

TEST(ProgramFiles, AProgramDirectoryHoldsSettingsAndCommonFilesAsACheckoutHasThem)
{
    const ProgramFiles files = ProgramFiles::inProgramDirectory(QStringLiteral("/work/korvent"));
    EXPECT_EQ(files.settingsFile, QStringLiteral("/work/korvent/setup.ini"));
    EXPECT_EQ(files.file(QStringLiteral("style.css")), QStringLiteral("/work/korvent/common/style.css"));
    EXPECT_EQ(files.userFile(QStringLiteral("countrys.txt")), QStringLiteral("/work/korvent/common/countrys.txt"));
    // Events of a checkout name the header relative to it, whichever checkout opens them.
    EXPECT_EQ(files.newEventHeader, QStringLiteral("common/header.htm"));
}

TEST_F(InstalledFiles, SettingsAndOwnFilesLiveInTheUsersFoldersAndTheSharedOnesFillIn)
{
    const QString home = folderOf(root) + QStringLiteral("home/");
    ProgramFiles files = ProgramFiles::installed(shared);
    EXPECT_TRUE(files.settingsFile.startsWith(home)) << files.settingsFile.toStdString();
    EXPECT_TRUE(files.settingsFile.endsWith(QLatin1String("/korvent/setup.ini")));
    EXPECT_TRUE(files.userFolder.startsWith(home)) << files.userFolder.toStdString();
    EXPECT_NE(QFileInfo(files.settingsFile).absolutePath() + u'/', files.userFolder);

    // Nothing of the user's yet: every file and the new events' header are the shipped ones, by absolute path.
    EXPECT_EQ(files.file(QStringLiteral("style.css")), shared + QStringLiteral("style.css"));
    EXPECT_EQ(files.newEventHeader, shared + QStringLiteral("header.htm"));
    EXPECT_EQ(files.userFile(QStringLiteral("countrys.txt")), files.userFolder + QStringLiteral("countrys.txt"));

    writeFile(files.userFile(QStringLiteral("header.htm")), "own header");
    files = ProgramFiles::installed(shared);
    EXPECT_EQ(files.newEventHeader, files.userFolder + QStringLiteral("header.htm"));
    EXPECT_EQ(readFile(files.file(QStringLiteral("header.htm"))), QByteArray("own header"));
    EXPECT_EQ(files.file(QStringLiteral("style.css")), shared + QStringLiteral("style.css"));
}

TEST(ProgramFiles, AProgramOutsideAnInstallationUsesTheCurrentFolder)
{
    // The test program runs in the build tree, where no shared folder lies beside it.
    EXPECT_EQ(ProgramFiles::ofThisProgram().settingsFile, QDir::currentPath() + QStringLiteral("/setup.ini"));
}
