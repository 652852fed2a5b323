#include "TestFolder.h"

#include "db/Connection.h"
#include "db/LogCheckpointer.h"
#include "base/KorventError.h"

#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <atomic>
#include <thread>
#include <type_traits>

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

namespace {

// A database written by another program, in its own (rollback) journal mode.
void writeForeignDatabase(const QString &fileName, const QStringList &statements)
{
    sqlite3 *handle = nullptr;
    ASSERT_EQ(sqlite3_open(fileName.toUtf8().constData(), &handle), SQLITE_OK);
    for (const QString &statement : statements)
        EXPECT_EQ(sqlite3_exec(handle, statement.toUtf8().constData(), nullptr, nullptr, nullptr), SQLITE_OK) << statement.toStdString();
    sqlite3_close(handle);
}

db::FieldDefinition field(const char *name, db::FieldKind kind)
{
    return {QLatin1String(name), kind, 20, {}, {}};
}

const std::vector<db::TableDefinition> schema = {
    {QStringLiteral("team"), {field("id", db::FieldKind::AutoIncrement), field("name", db::FieldKind::Text)}, {}},
    {QStringLiteral("runner"), {field("id", db::FieldKind::AutoIncrement)}, {}},
};

// Collects Qt's warnings while it lives.
struct WarningCollector
{
    static inline QStringList warnings;
    QtMessageHandler previous;
    WarningCollector() : previous(qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &text) {
        if (type == QtWarningMsg)
            warnings.append(text);
    })) { warnings.clear(); }
    ~WarningCollector() { qInstallMessageHandler(previous); }
};

} // namespace

TEST(Connection, ForeignDatabaseIsRefusedByteForByteUntouched)
{
    QTemporaryDir dir;
    const QString name = folderOf(dir) + QStringLiteral("rogain.abs");
    writeForeignDatabase(name, {"CREATE TABLE invoice (id INTEGER PRIMARY KEY, total REAL)", "INSERT INTO invoice VALUES (1, 9.5)"});
    const QByteArray content = readFile(name);
    try {
        db::Connection connection(name, schema);
        FAIL() << "opened another program's database";
    } catch (const KorventError &error) {
        EXPECT_TRUE(error.message().contains(name)) << error.message().toStdString();
        EXPECT_TRUE(error.message().contains(QLatin1String("another program"))) << error.message().toStdString();
        EXPECT_TRUE(error.message().contains(QLatin1String("invoice"))) << error.message().toStdString();
    }
    EXPECT_EQ(readFile(name), content);
    EXPECT_FALSE(QFile::exists(name + QStringLiteral("-wal")));
    EXPECT_FALSE(QFile::exists(name + QStringLiteral("-shm")));
}

TEST(Connection, DatabaseWithOneTableOfTheSchemaOrNoneAtAllIsCompleted)
{
    struct Case
    {
        const char *what;
        QStringList statements;
    };
    for (const Case &c : {Case{"one of the tables", {"CREATE TABLE team (id INTEGER PRIMARY KEY, name TEXT, legacy TEXT)",
                                                     "CREATE TABLE notes (text TEXT)", "INSERT INTO team VALUES (1, 'Foxes', 'x')"}},
                          Case{"an empty database", {"PRAGMA user_version=3"}},
                          Case{"an empty file", {}}}) {
        QTemporaryDir dir;
        const QString name = folderOf(dir) + QStringLiteral("rogain.abs");
        if (c.statements.isEmpty())
            writeFile(name, {});
        else
            writeForeignDatabase(name, c.statements);
        db::Connection connection(name, schema);
        EXPECT_TRUE(connection.tableExists(QStringLiteral("runner"))) << c.what;
        EXPECT_TRUE(connection.tableExists(QStringLiteral("team"))) << c.what;
        EXPECT_EQ(connection.scalar(QStringLiteral("PRAGMA journal_mode")).toString(), QStringLiteral("wal")) << c.what;
    }
    QTemporaryDir dir;
    const QString name = folderOf(dir) + QStringLiteral("rogain.abs");
    writeForeignDatabase(name, {"CREATE TABLE TEAM (id INTEGER PRIMARY KEY, name TEXT, legacy TEXT)", "INSERT INTO TEAM VALUES (1, 'Foxes', 'x')"});
    db::Connection connection(name, schema);
    EXPECT_EQ(connection.scalar(QStringLiteral("SELECT legacy FROM team WHERE name='Foxes'")).toString(), QStringLiteral("x"));
}

TEST(Connection, RefusedFileLeavesNoConnectionInUse)
{
    QTemporaryDir dir;
    const QString name = folderOf(dir) + QStringLiteral("rogain.abs");
    QByteArray damaged("SQLite format 3", 16);
    damaged.append(QByteArray(200, '\xff'));
    WarningCollector collector;
    for (const QByteArray &content : {damaged, QByteArray("plain text, no database")}) {
        writeFile(name, content);
        EXPECT_THROW(db::Connection(name, schema), KorventError);
    }
    writeFile(name, {});
    writeForeignDatabase(name, {"CREATE TABLE invoice (id INTEGER)"});
    EXPECT_THROW(db::Connection(name, schema), KorventError);
    { db::Connection fine(folderOf(dir) + QStringLiteral("fine.db")); }
    EXPECT_TRUE(WarningCollector::warnings.isEmpty()) << WarningCollector::warnings.join(u'\n').toStdString();
}

TEST(Connection, TransactionIsOneChangeAtATimeInAThread)
{
    static_assert(!std::is_copy_constructible_v<db::Transaction> && !std::is_copy_assignable_v<db::Transaction>);
    QTemporaryDir dir;
    const QString name = folderOf(dir) + QStringLiteral("t.db");
    db::Connection connection(name);
    db::Connection other(name);
    connection.exec(QStringLiteral("CREATE TABLE t (v INTEGER)"));
    {
        db::Transaction outer(connection);
        connection.exec(QStringLiteral("INSERT INTO t VALUES (1)"));
        // Both on the same connection and on another one of the same file:
        // the thread would wait for itself, so it is told at once.
        for (db::Connection *inner : {&connection, &other}) {
            try {
                db::Transaction nested(*inner);
                FAIL() << "a nested transaction was begun";
            } catch (const KorventError &error) {
                EXPECT_TRUE(error.message().contains(QLatin1String("already open"))) << error.message().toStdString();
            }
        }
        outer.commit();
        EXPECT_THROW(outer.commit(), KorventError);
    }
    // The lock was let go: the next change of either connection goes through.
    db::Transaction next(other);
    other.exec(QStringLiteral("INSERT INTO t VALUES (2)"));
    next.commit();
    EXPECT_EQ(connection.scalar(QStringLiteral("SELECT SUM(v) FROM t")).toInt(), 3);
}

TEST(Connection, ACommitIsOnTheDiskBeforeItReturns)
{
    // Readouts are acknowledged after their commit; a power cut must not take one back.
    QTemporaryDir dir;
    db::Connection connection(folderOf(dir) + QStringLiteral("rogain.abs"));
    EXPECT_EQ(connection.scalar(QStringLiteral("PRAGMA journal_mode")).toString(), QStringLiteral("wal"));
    EXPECT_EQ(connection.scalar(QStringLiteral("PRAGMA synchronous")).toInt(), 2); // FULL
}

TEST(Connection, AFolderOrAPipeIsNoDatabaseFileAndTheMessageSaysWhich)
{
    QTemporaryDir dir;
    const QString folder = folderOf(dir) + QStringLiteral("folder.abs");
    const QString pipe = folderOf(dir) + QStringLiteral("pipe.abs");
    QDir().mkpath(folder);
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    for (const auto &[name, reason] : {std::pair{folder, "it is a folder"}, std::pair{pipe, "it is not a plain file"}}) {
        try {
            db::Connection connection(name);
            ADD_FAILURE() << reason;
        } catch (const KorventError &error) {
            EXPECT_EQ(error.message(), QStringLiteral("Cannot open the database file %1: %2").arg(name, QLatin1String(reason)));
        }
    }
}

TEST(Connection, ATableThatOnlySharesANameWithOursIsAnotherProgramsAndStaysUntouched)
{
    for (const QStringList &statements : {QStringList{"CREATE TABLE team (id INTEGER PRIMARY KEY, title TEXT)", "INSERT INTO team VALUES (1, 'Sales')"},
                                          QStringList{"CREATE TABLE Runner (code TEXT)", "CREATE TABLE team (id INTEGER, label TEXT)"}}) {
        QTemporaryDir dir;
        const QString name = folderOf(dir) + QStringLiteral("rogain.abs");
        writeForeignDatabase(name, statements);
        const QByteArray content = readFile(name);
        try {
            db::Connection connection(name, schema);
            ADD_FAILURE() << "adopted " << statements.join(u';').toStdString();
        } catch (const KorventError &error) {
            EXPECT_TRUE(error.message().contains(QLatin1String("another program"))) << error.message().toStdString();
            EXPECT_TRUE(error.message().contains(QLatin1String("without the fields"))) << error.message().toStdString();
        }
        EXPECT_EQ(readFile(name), content);
        EXPECT_FALSE(QFile::exists(name + QStringLiteral("-wal")));
    }
}

TEST(Connection, TheWriteAheadLogIsCopiedBackOnceLongByTheCommitterOrByTheCheckpointer)
{
    // The log is copied back after the commit instead of inside it, or on
    // the checkpointer's thread; it must still be, or it grows without end
    // over a day of readouts.
    constexpr qint64 pageSize = 4096;
    constexpr qint64 writtenPages = 4000;
    enum class Commit { InATransaction, Alone, LeavingCheckpointsToTheCheckpointer };
    for (const Commit commit : {Commit::InATransaction, Commit::Alone, Commit::LeavingCheckpointsToTheCheckpointer}) {
        SCOPED_TRACE(static_cast<int>(commit));
        QTemporaryDir dir;
        const QString name = folderOf(dir) + QStringLiteral("t.db");
        auto checkpointer = std::make_shared<db::LogCheckpointer>();
        db::Connection connection(name);
        if (commit == Commit::LeavingCheckpointsToTheCheckpointer)
            connection.leaveCheckpointsTo(checkpointer);
        db::Connection reader(name);
        connection.exec(QStringLiteral("CREATE TABLE t (v BLOB)"));
        for (qint64 written = 0; written < writtenPages; written += 10) {
            const QString insert = QStringLiteral("INSERT INTO t VALUES (randomblob(%1))").arg(10 * pageSize);
            if (commit == Commit::Alone) {
                connection.exec(insert);
            } else {
                db::Transaction transaction(connection);
                connection.exec(insert);
                transaction.commit();
            }
            // Another connection reads meanwhile, as the windows and reports do.
            reader.scalar(QStringLiteral("SELECT COUNT(*) FROM t"));
        }
        EXPECT_LT(QFileInfo(name + QStringLiteral("-wal")).size(), writtenPages / 2 * pageSize);
        EXPECT_EQ(reader.scalar(QStringLiteral("SELECT COUNT(*) FROM t")).toLongLong(), writtenPages / 10);
    }
}

TEST(Connection, AReaderKeepingItsSnapshotDelaysTheCopyingBackOnlyWhileItKeepsIt)
{
    // A report reading while readouts commit keeps the pages after its
    // snapshot in the log; once it lets go, the log is copied back and
    // starts afresh.
    constexpr int pagesPerCommit = 10;
    QTemporaryDir dir;
    const QString name = folderOf(dir) + QStringLiteral("t.db");
    db::Connection connection(name);
    db::Connection reader(name);
    connection.exec(QStringLiteral("CREATE TABLE t (v BLOB)"));
    const auto commitPages = [&](int pages) {
        for (int written = 0; written < pages; written += pagesPerCommit)
            connection.exec(QStringLiteral("INSERT INTO t VALUES (randomblob(%1))").arg(pagesPerCommit * 4096));
    };
    const auto logPages = [&] { return connection.firstRow(QStringLiteral("PRAGMA wal_checkpoint(PASSIVE)"))->value(1).toInt(); };
    commitPages(100);
    {
        QSqlQuery held = reader.exec(QStringLiteral("SELECT v FROM t"));
        ASSERT_TRUE(held.next());
        commitPages(3000);
        EXPECT_GE(logPages(), 3000);
    }
    commitPages(3000);
    EXPECT_LT(logPages(), 2000);
    EXPECT_EQ(reader.scalar(QStringLiteral("SELECT COUNT(*) FROM t")).toInt(), 610);
}

TEST(Connection, APromptWriterWaitsForAnotherProgramsWriteAndKeepsTheUsualTimeout)
{
    QTemporaryDir dir;
    const QString file = folderOf(dir) + QStringLiteral("rogain.abs");
    db::Connection readout(file);
    readout.exec(QStringLiteral("CREATE TABLE t (v INTEGER)"));
    // Another program's connection: it does not take turns on this process's lock.
    sqlite3 *other = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(file).constData(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE; INSERT INTO t VALUES (1)", nullptr, nullptr, nullptr), SQLITE_OK);
    std::atomic<bool> written{false};
    int timeout = 0;
    std::thread writer([&] {
        db::Connection prompt(file);
        prompt.giveWayToWaitingPrograms();
        db::Transaction transaction(prompt);
        prompt.exec(QStringLiteral("INSERT INTO t VALUES (2)"));
        transaction.commit();
        written = true;
        // Reads and the statement runner see SQLite's usual wait.
        timeout = prompt.scalar(QStringLiteral("PRAGMA busy_timeout")).toInt();
    });
    QThread::msleep(50);
    EXPECT_FALSE(written);
    ASSERT_EQ(sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
    writer.join();
    sqlite3_close(other);
    EXPECT_EQ(readout.scalar(QStringLiteral("SELECT group_concat(v) FROM (SELECT v FROM t ORDER BY v)")).toString(), QStringLiteral("1,2"));
    EXPECT_EQ(timeout, 30'000);
}
