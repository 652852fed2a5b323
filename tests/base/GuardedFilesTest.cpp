// Reads and writes by name never open a file SQLite holds: this process keeps
// its locks, and the operator learns which file was refused.

#include "ProcessLocks.h"
#include "TestFolder.h"

#include "base/GuardedFiles.h"
#include "base/IniFile.h"
#include "base/KorventError.h"
#include "base/TextFile.h"
#include "db/Connection.h"

#include <QFile>
#include <functional>
#include <gtest/gtest.h>

namespace {

struct OpenDatabase : ::testing::Test
{
    QTemporaryDir dir;
    QString database = folderOf(dir) + QStringLiteral("rogain.abs");
    std::unique_ptr<db::Connection> connection;

    void SetUp() override
    {
        connection = std::make_unique<db::Connection>(database);
        connection->exec(QStringLiteral("CREATE TABLE t (x INTEGER)"));
        connection->exec(QStringLiteral("INSERT INTO t VALUES (1)"));
    }

    // The database's files and names that lead to them.
    QStringList guardedNames()
    {
        const QString link = folderOf(dir) + QStringLiteral("setup.ini");
        const QString hardLink = folderOf(dir) + QStringLiteral("copy.csv");
        EXPECT_TRUE(QFile::link(database, link));
        EXPECT_EQ(::link(QFile::encodeName(database + QStringLiteral("-wal")).constData(), QFile::encodeName(hardLink).constData()), 0);
        return {database, database + QStringLiteral("-wal"), database + QStringLiteral("-shm"), link, hardLink,
                folderOf(dir) + QStringLiteral("./rogain.abs")};
    }
};

} // namespace

TEST_F(OpenDatabase, EveryReadByNameRefusesItsFilesAndTheLocksStay)
{
    const QStringList locks = ownLocks();
    ASSERT_FALSE(locks.isEmpty()) << "an open WAL database holds a lock on its shared memory";
    const std::pair<const char *, std::function<void(const QString &)>> readers[] = {
        {"ReadFileBytes", [](const QString &name) { ReadFileBytes(name); }},
        {"ReadPlainFile", [](const QString &name) { ReadPlainFile(name); }},
        {"ReadTextLines", [](const QString &name) { ReadTextLines(name); }},
        {"IniFile", [](const QString &name) { IniFile ini(name); }},
    };
    for (const QString &name : guardedNames()) {
        for (const auto &[reader, read] : readers) {
            try {
                read(name);
                ADD_FAILURE() << reader << " read " << name.toStdString();
            } catch (const KorventError &error) {
                EXPECT_EQ(error.message(), QStringLiteral("Cannot read %1: it is the event's database").arg(name)) << reader;
            }
        }
    }
    EXPECT_TRUE(locksKept(locks));
    // Another file of the folder is read as ever.
    writeFile(folderOf(dir) + QStringLiteral("teams.csv"), "1;Foxes\r\n");
    EXPECT_EQ(ReadTextLines(folderOf(dir) + QStringLiteral("teams.csv")), QStringList{QStringLiteral("1;Foxes")});
}

TEST_F(OpenDatabase, NoWriteByNameReplacesItsFiles)
{
    const QStringList locks = ownLocks();
    for (const QString &name : guardedNames()) {
        EXPECT_THROW(WriteFileBytes(name, "list"), KorventError) << name.toStdString();
        EXPECT_THROW(WriteTextLines(name, {QStringLiteral("line")}), KorventError) << name.toStdString();
    }
    EXPECT_TRUE(locksKept(locks));
    EXPECT_EQ(connection->scalar(QStringLiteral("SELECT COUNT(*) FROM t")).toInt(), 1);
    EXPECT_TRUE(QFile::exists(database + QStringLiteral("-wal")));
}

TEST_F(OpenDatabase, TheGuardEndsWithTheLastConnection)
{
    {
        db::Connection second(database);
        connection.reset();
        EXPECT_THROW(ReadFileBytes(database), KorventError) << "the second connection still holds the file";
    }
    EXPECT_TRUE(GuardedFiles::guardedFileAt(database).isEmpty());
    EXPECT_FALSE(ReadFileBytes(database).isEmpty());
}

TEST_F(OpenDatabase, ReplacedFilesAreToldWithTheirName)
{
    EXPECT_TRUE(connection->replacedFileMessage().isEmpty());
    // Another program that took the database for unused removes its log and
    // shared memory, as SQLite does on its last close.
    ASSERT_TRUE(QFile::remove(database + QStringLiteral("-wal")));
    const QString message = connection->replacedFileMessage();
    EXPECT_TRUE(message.contains(database + QStringLiteral("-wal"))) << message.toStdString();
    EXPECT_TRUE(message.contains(QLatin1String("another program"))) << message.toStdString();
}

TEST_F(OpenDatabase, AReplacedDatabaseFileIsToldAndNoNewConnectionReachesTheOtherFile)
{
    ASSERT_TRUE(QFile::rename(database, database + QStringLiteral(".old")));
    writeFile(database, {});
    EXPECT_TRUE(connection->replacedFileMessage().contains(database + QStringLiteral(" was"))) << connection->replacedFileMessage().toStdString();
    // A readout worker or a window's long work opening the event now would
    // write to the file at the name, which none of the others has open.
    try {
        db::Connection other(database);
        ADD_FAILURE() << "a second connection opened the file put in place of the first";
    } catch (const db::DatabaseError &error) {
        EXPECT_TRUE(error.message().contains(QLatin1String("another program"))) << error.message().toStdString();
    }
    EXPECT_EQ(QFileInfo(database).size(), 0);
}
