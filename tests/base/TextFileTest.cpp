#include "TestFolder.h"

#include "base/KorventError.h"
#include "base/TextFile.h"

#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

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
