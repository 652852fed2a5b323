#include "TestFolder.h"

#include "base/ProgramFiles.h"

#include <QDir>
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
    // New events name the header by its bare name, found wherever the event is opened.
    EXPECT_EQ(files.newEventHeader, QStringLiteral("header.htm"));
}

TEST_F(InstalledFiles, SettingsAndOwnFilesLiveInTheUsersFoldersAndTheSharedOnesFillIn)
{
    const QString home = folderOf(root) + QStringLiteral("home/");
    ProgramFiles files = ProgramFiles::installed(shared);
    EXPECT_TRUE(files.settingsFile.startsWith(home)) << files.settingsFile.toStdString();
    EXPECT_TRUE(files.settingsFile.endsWith(QLatin1String("/korvent/setup.ini")));
    EXPECT_TRUE(files.userFolder.startsWith(home)) << files.userFolder.toStdString();
    EXPECT_NE(QFileInfo(files.settingsFile).absolutePath() + u'/', files.userFolder);

    // Nothing of the user's yet: every file is the shipped one, by absolute path.
    EXPECT_EQ(files.file(QStringLiteral("style.css")), shared + QStringLiteral("style.css"));
    EXPECT_EQ(files.newEventHeader, QStringLiteral("header.htm"));
    EXPECT_EQ(files.userFile(QStringLiteral("countrys.txt")), files.userFolder + QStringLiteral("countrys.txt"));

    writeFile(files.userFile(QStringLiteral("header.htm")), "own header");
    files = ProgramFiles::installed(shared);
    EXPECT_EQ(readFile(files.file(QStringLiteral("header.htm"))), QByteArray("own header"));
    EXPECT_EQ(files.file(QStringLiteral("style.css")), shared + QStringLiteral("style.css"));
}

TEST(ProgramFiles, AProgramInItsBuildFolderUsesTheCurrentFolder)
{
    // The test program runs in the build folder it was made in.
    EXPECT_EQ(ProgramFiles::ofThisProgram().settingsFile, QDir::currentPath() + QStringLiteral("/setup.ini"));
}

TEST_F(InstalledFiles, AFileASettingNamesIsFoundThroughTheProgramsFilesNeverInTheCurrentFolder)
{
    ProgramFiles installed = ProgramFiles::installed(shared);
    const ProgramFiles checkout = ProgramFiles::inProgramDirectory(folderOf(root) + QStringLiteral("checkout"));
    // The current folder holds a header of that name, which is never taken.
    const QString current = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(folderOf(root)));
    writeFile(folderOf(root) + QStringLiteral("common/header.htm"), "the current folder's");
    writeFile(folderOf(root) + QStringLiteral("header.htm"), "the current folder's");
    const struct
    {
        QString value;
        QString installedFile;
        QString checkoutFile;
    } cases[] = {
        {QStringLiteral("header.htm"), shared + QStringLiteral("header.htm"), checkout.sharedFolder + QStringLiteral("header.htm")},
        // As a checkout wrote it into its events.
        {QStringLiteral("common/header.htm"), shared + QStringLiteral("header.htm"), checkout.sharedFolder + QStringLiteral("header.htm")},
        {QStringLiteral("./common//header.htm"), shared + QStringLiteral("header.htm"), checkout.sharedFolder + QStringLiteral("header.htm")},
        {QStringLiteral("heads/night.htm"), shared + QStringLiteral("heads/night.htm"), checkout.sharedFolder + QStringLiteral("heads/night.htm")},
        {QStringLiteral("/srv/events/kopf.htm"), QStringLiteral("/srv/events/kopf.htm"), QStringLiteral("/srv/events/kopf.htm")},
        {QString(), QString(), QString()},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(installed.namedFile(c.value), c.installedFile) << c.value.toStdString();
        EXPECT_EQ(checkout.namedFile(c.value), c.checkoutFile) << c.value.toStdString();
    }
    // A header the user adds later is the one every event naming it gets.
    writeFile(installed.userFile(QStringLiteral("header.htm")), "own header");
    EXPECT_EQ(installed.namedFile(QStringLiteral("common/header.htm")), installed.userFolder + QStringLiteral("header.htm"));
    QDir::setCurrent(current);
}

TEST_F(InstalledFiles, WithoutAHomeTheSettingsCannotBeKept)
{
    const QByteArray config = qgetenv("XDG_CONFIG_HOME");
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_TRUE(ProgramFiles::installed(shared).settingsUnavailable.isEmpty());
    qunsetenv("HOME");
    EXPECT_EQ(ProgramFiles::installed(shared).settingsUnavailable, QStringLiteral("HOME is not set, so there is no configuration folder"));
    // Named by the desktop's own variable, the folder is there without a home.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(folderOf(root) + QStringLiteral("config")));
    EXPECT_TRUE(ProgramFiles::installed(shared).settingsUnavailable.isEmpty());
    if (config.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", config);
}
