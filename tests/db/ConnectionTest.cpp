#include "TestFolder.h"

#include "db/Connection.h"
#include "base/KorventError.h"

#include <QThread>
#include <gtest/gtest.h>
#include <thread>

TEST(Connection, RefusesAFileThatIsNotADatabaseWithoutTouchingIt)
{
    QTemporaryDir dir;
    const QString name = folderOf(dir) + QStringLiteral("rogain.abs");
    const QByteArray content("team;name\r\n1;Foxes\r\n this is a CSV file, not a database\r\n");
    writeFile(name, content);
    try {
        db::Connection connection(name);
        FAIL() << "opened a text file as a database";
    } catch (const KorventError &error) {
        EXPECT_TRUE(error.message().contains(name)) << error.message().toStdString();
        EXPECT_TRUE(error.message().contains(QLatin1String("not an SQLite"))) << error.message().toStdString();
    }
    EXPECT_EQ(readFile(name), content);
    EXPECT_FALSE(QFile::exists(name + QStringLiteral("-wal")));
}

TEST(Connection, RefusesADamagedDatabaseWithoutTouchingIt)
{
    QTemporaryDir dir;
    const QString name = folderOf(dir) + QStringLiteral("rogain.abs");
    QByteArray content("SQLite format 3", 16);
    content.append(QByteArray(200, '\xff'));
    writeFile(name, content);
    EXPECT_THROW(db::Connection connection(name), KorventError);
    EXPECT_EQ(readFile(name), content);
}

TEST(Connection, FileThatCannotBeCreatedNamesTheFile)
{
    QTemporaryDir dir;
    const QString name = folderOf(dir) + QStringLiteral("no/such/folder/rogain.abs");
    try {
        db::Connection connection(name);
        FAIL() << "created a database in a missing folder";
    } catch (const KorventError &error) {
        EXPECT_TRUE(error.message().contains(name)) << error.message().toStdString();
    }
}

TEST(Connection, TransactionRollsBackWhenLeftWithoutCommit)
{
    QTemporaryDir dir;
    db::Connection connection(folderOf(dir) + QStringLiteral("t.db"));
    connection.exec(QStringLiteral("CREATE TABLE t (v INTEGER)"));
    try {
        db::Transaction transaction(connection);
        connection.exec(QStringLiteral("INSERT INTO t VALUES (1)"));
        connection.exec(QStringLiteral("INSERT INTO nowhere VALUES (2)"));
        transaction.commit();
    } catch (const KorventError &) {
    }
    EXPECT_EQ(connection.scalar(QStringLiteral("SELECT COUNT(*) FROM t")).toInt(), 0);
}

TEST(Connection, ConnectionsInSeveralThreadsWriteAtOnce)
{
    QTemporaryDir dir;
    const QString name = folderOf(dir) + QStringLiteral("t.db");
    {
        db::Connection setup(name);
        setup.exec(QStringLiteral("CREATE TABLE t (worker INTEGER, n INTEGER)"));
    }
    constexpr int workers = 4;
    constexpr int rowsEach = 200;
    std::vector<std::thread> threads;
    std::atomic<int> failures{0};
    for (int w = 0; w < workers; ++w) {
        threads.emplace_back([&, w] {
            try {
                db::Connection connection(name);
                for (int n = 0; n < rowsEach; ++n) {
                    db::Transaction transaction(connection);
                    connection.exec(QStringLiteral("INSERT INTO t VALUES (?, ?)"), {w, n});
                    transaction.commit();
                }
            } catch (const KorventError &) {
                ++failures;
            }
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    EXPECT_EQ(failures.load(), 0);
    db::Connection check(name);
    EXPECT_EQ(check.scalar(QStringLiteral("SELECT COUNT(*) FROM t")).toInt(), workers * rowsEach);
    EXPECT_EQ(check.scalar(QStringLiteral("PRAGMA journal_mode")).toString(), QStringLiteral("wal"));
}
