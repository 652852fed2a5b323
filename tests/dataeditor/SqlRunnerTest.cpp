#include "TestFolder.h"
#include "EventRows.h"

#include "dataeditor/SqlRunner.h"
#include "db/Connection.h"
#include "store/EventSchema.h"
#include "store/uData.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

struct SqlRunnerFixture : ::testing::Test
{
    QTemporaryDir dir;
    TdmData data{folderOf(dir)};
    SqlRunner runner{db::DatabaseAddress::sqliteFile(TdmData::databaseFileName(folderOf(dir)))};
    QSignalSpy finished{&runner, &SqlRunner::finished};

    SqlRunResult result()
    {
        if (finished.isEmpty() && !finished.wait(30'000))
            return {};
        return finished.takeFirst().at(0).value<SqlRunResult>();
    }
};

const QString endless = QStringLiteral("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x+1 FROM c) SELECT count(*) FROM c");

} // namespace


TEST_F(SqlRunnerFixture, RunsOnItsOwnConnectionAndHandsTheOutcomeBack)
{
    insertRow(data, QStringLiteral("team"), {{"number", 4}, {"name", "Foxes"}});
    ASSERT_TRUE(runner.start(QStringLiteral("UPDATE team SET name = :name; SELECT number, name FROM team"), {QStringLiteral("Owls")},
                             db::SqlAccess::MayChange));
    const SqlRunResult run = result();
    ASSERT_TRUE(run.ok) << run.error.toStdString();
    EXPECT_EQ(run.outcome.rowsAffected, 1);
    ASSERT_EQ(run.outcome.rows.size(), 1u);
    EXPECT_EQ(run.outcome.rows[0][1].toString(), QStringLiteral("Owls"));
    EXPECT_EQ(findRow(data, QStringLiteral("team"), 1)->value(QStringLiteral("name")).toString(), QStringLiteral("Owls"));

    ASSERT_TRUE(runner.start(QStringLiteral("SELECT 1\nFROM teem"), {}, db::SqlAccess::MayChange));
    const SqlRunResult failed = result();
    EXPECT_FALSE(failed.ok);
    EXPECT_EQ(failed.error.toStdString(), "no such table: teem (line 1, column 1)");
    EXPECT_EQ(failed.errorLine, 1);
    EXPECT_FALSE(failed.changeRefused);

    // A read-only run says when it met a change, so that the window can ask.
    ASSERT_TRUE(runner.start(QStringLiteral("SELECT 1;\nDROP TABLE team"), {}, db::SqlAccess::ReadOnly));
    const SqlRunResult refused = result();
    EXPECT_FALSE(refused.ok);
    EXPECT_TRUE(refused.changeRefused);
    EXPECT_EQ(refused.errorLine, 2);
    EXPECT_TRUE(data.connection().tableExists(QStringLiteral("team")));
}

TEST_F(SqlRunnerFixture, LongQueryLeavesTheDatabaseFreeAndCanBeStopped)
{
    ASSERT_TRUE(runner.start(endless, {}, db::SqlAccess::MayChange));
    EXPECT_TRUE(runner.isRunning());
    EXPECT_FALSE(runner.start(QStringLiteral("SELECT 1"), {}, db::SqlAccess::MayChange));
    // Others write while the query runs: a readout would not wait for it.
    insertRow(data, QStringLiteral("team"), {{"number", 9}, {"name", "Late entry"}});
    EXPECT_EQ(data.rowCount(QStringLiteral("team")), 1);
    runner.cancel();
    runner.wait();
    EXPECT_FALSE(runner.isRunning());
    const SqlRunResult stopped = result();
    EXPECT_FALSE(stopped.ok);
    EXPECT_TRUE(stopped.error.startsWith(QLatin1String("Stopped"))) << stopped.error.toStdString();

    ASSERT_TRUE(runner.start(QStringLiteral("SELECT count(*) FROM team"), {}, db::SqlAccess::MayChange));
    EXPECT_EQ(result().outcome.rows.at(0).at(0).toLongLong(), 1);
}

TEST(SqlRunner, ResultOfMoreRowsThanTheLimitStopsTheRun)
{
    QTemporaryDir dir;
    TdmData data(folderOf(dir));
    for (int n = 1; n <= 4; ++n)
        insertRow(data, QStringLiteral("team"), {{"number", n}, {"name", "Foxes"}});
    SqlRunner runner(db::DatabaseAddress::sqliteFile(TdmData::databaseFileName(folderOf(dir))), 3);
    QSignalSpy finished(&runner, &SqlRunner::finished);
    const auto result = [&] {
        EXPECT_TRUE(finished.wait(30'000));
        return finished.takeFirst().at(0).value<SqlRunResult>();
    };

    ASSERT_TRUE(runner.start(QStringLiteral("SELECT number FROM team LIMIT 3"), {}, db::SqlAccess::ReadOnly));
    const SqlRunResult fits = result();
    EXPECT_TRUE(fits.ok) << fits.error.toStdString();
    EXPECT_EQ(fits.outcome.rows.size(), 3u);

    ASSERT_TRUE(runner.start(QStringLiteral("UPDATE team SET name = 'Owls'; SELECT number FROM team"), {}, db::SqlAccess::MayChange));
    const SqlRunResult tooMany = result();
    EXPECT_FALSE(tooMany.ok);
    EXPECT_TRUE(tooMany.error.startsWith(QLatin1String("The result has more than 3 rows"))) << tooMany.error.toStdString();
    EXPECT_EQ(selectRows(data, QStringLiteral("team"), {{"name", "Owls"}}).size(), 0u);
}

TEST(SqlRunner, DestroyedWhileRunningStopsTheStatement)
{
    QTemporaryDir dir;
    TdmData data(folderOf(dir));
    auto runner = std::make_unique<SqlRunner>(db::DatabaseAddress::sqliteFile(TdmData::databaseFileName(folderOf(dir))));
    ASSERT_TRUE(runner->start(endless, {}, db::SqlAccess::MayChange));
    runner.reset();
    SUCCEED();
}

TEST(SqlRunner, OpensTheEventFileAsTheProgramDoes)
{
    QTemporaryDir dir;
    const QString file = TdmData::databaseFileName(folderOf(dir));
    {
        db::Connection newer(file, EventTables());
        newer.exec(QStringLiteral("PRAGMA user_version=%1").arg(EventSchemaVersion + 1));
    }
    SqlRunner runner(db::DatabaseAddress::sqliteFile(file));
    QSignalSpy finished(&runner, &SqlRunner::finished);
    ASSERT_TRUE(runner.start(QStringLiteral("SELECT count(*) FROM team"), {}, db::SqlAccess::ReadOnly));
    ASSERT_TRUE(finished.wait(30'000));
    const SqlRunResult run = finished.takeFirst().at(0).value<SqlRunResult>();
    EXPECT_FALSE(run.ok);
    EXPECT_TRUE(run.error.contains(QLatin1String("made by a newer version of the program"))) << run.error.toStdString();
}
