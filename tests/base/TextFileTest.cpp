#include "TestFolder.h"

#include "base/KorventError.h"
#include "base/TextFile.h"

#include <QFileInfo>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

// Files of this process cannot grow past `bytes` while it lives: the file
// system refuses the rest of a write, as a full disk does.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limited = m_old;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};

} // namespace

TEST(TextFile, AWriteTheFileSystemRefusesKeepsTheOldFileAndIsAnError)
{
    QTemporaryDir dir;
    const QString name = folderOf(dir) + QStringLiteral("setup.ini");
    writeFile(name, "[fEventInfo]\r\nleName=Summer Rogaine\r\n");
    {
        FileSizeLimit limit(100);
        EXPECT_THROW(WriteFileBytes(name, QByteArray(800, 'x')), KorventError);
        EXPECT_THROW(WriteTextLines(name, QStringList(40, QStringLiteral("a line of the log"))), KorventError);
    }
    EXPECT_EQ(readFile(name), QByteArray("[fEventInfo]\r\nleName=Summer Rogaine\r\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("setup.ini")});

    WriteFileBytes(name, QByteArray(800, 'x'));
    EXPECT_EQ(readFile(name), QByteArray(800, 'x'));
}

TEST(TextFile, WritesThroughALinkAndRefusesWhatIsNoPlainFile)
{
    QTemporaryDir dir;
    const QString target = folderOf(dir) + QStringLiteral("list.txt");
    const QString link = folderOf(dir) + QStringLiteral("link.txt");
    writeFile(target, "old");
    ASSERT_TRUE(QFile::link(target, link));
    WriteFileBytes(link, "new");
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(readFile(target), QByteArray("new"));

    // A pipe (as a device) would have been swapped for a plain file of that name.
    const QString pipe = folderOf(dir) + QStringLiteral("pipe");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    try {
        WriteFileBytes(pipe, "lost");
        ADD_FAILURE() << "a pipe was reported written";
    } catch (const KorventError &error) {
        EXPECT_EQ(error.message(), QStringLiteral("Cannot write %1: it is not a plain file").arg(pipe));
    }
    struct stat status;
    ASSERT_EQ(::stat(QFile::encodeName(pipe).constData(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));

    EXPECT_THROW(WriteFileBytes(dir.path(), "lost"), KorventError);
}

TEST(TextFile, OnlyAPlainFileIsReadAsLines)
{
    QTemporaryDir dir;
    writeFile(folderOf(dir) + QStringLiteral("setup.ini"), "a\r\nb\n");
    EXPECT_EQ(ReadTextLines(folderOf(dir) + QStringLiteral("setup.ini")), QStringList({"a", "b"}));
    // A settings file linked to /dev/zero would be read until memory ran out.
    for (const QString &name : {dir.path(), QStringLiteral("/dev/null"), folderOf(dir) + QStringLiteral("missing.ini")})
        EXPECT_FALSE(ReadTextLines(name).has_value()) << name.toStdString();
}
