#include "CliRun.h"
#include "EventRows.h"
#include "TestFolder.h"

#include "store/uData.h"

#include <QProcess>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace {

struct CliCheckSqlFixture : ::testing::Test
{
    QTemporaryDir program;
    QString event;
    std::unique_ptr<TdmData> data;

    void SetUp() override
    {
        event = folderOf(program) + QStringLiteral("event/");
        QDir().mkpath(event);
        writeFile(event + QStringLiteral("classlist.tree"), "H12<*>(12:00:00|012:00:00|00:30:00)\r\n");
        data = std::make_unique<TdmData>(event);
        const qint64 foxes = insertRow(*data, QStringLiteral("team"), {{"number", 1}, {"name", "Foxes"}, {"class", "H12"}});
        insertRow(*data, QStringLiteral("team"), {{"number", 2}, {"name", "Owls"}, {"class", "D9"}});
        insertRow(*data, QStringLiteral("runner"), {{"team_id", foxes}, {"firstname", "Ann"}, {"lastname", "Lee"}});
        writeFile(folderOf(program) + QStringLiteral("rules.kvchk"),
                  "Runners without chip|SELECT firstname, lastname FROM runner WHERE chipnr IS NULL\r\n"
                  "Classes not in the class tree|SELECT number, class FROM team WHERE class NOT IN (SELECT name FROM classtree)\r\n"
                  "Teams without number|SELECT name FROM team WHERE number IS NULL\r\n");
    }

    CliRun cli(const QStringList &arguments)
    {
        return runCliIn(program.path(), QStringList({"--event", "event"}) + arguments);
    }
    QString teamName(int number)
    {
        return selectRows(*data, QStringLiteral("team"), {{"number", number}}).front().value(QStringLiteral("name")).toString();
    }
};

} // namespace

TEST_F(CliCheckSqlFixture, CheckPrintsTheFindingsOfTheChosenChecks)
{
    const CliRun all = cli({"check", "rules.kvchk"});
    EXPECT_EQ(all.exitCode, 0) << all.err.toStdString();
    EXPECT_EQ(all.out.toStdString(), "*** Runners without chip ***\nAnn;Lee;\n*** Classes not in the class tree ***\n2;D9;\n");

    const CliRun one = cli({"check", "rules.kvchk", "--only", "Classes not in the class tree"});
    EXPECT_EQ(one.out.toStdString(), "*** Classes not in the class tree ***\n2;D9;\n");

    // Several titles after one --only, or an --only for each.
    const char *expectedTwo = "*** Runners without chip ***\nAnn;Lee;\n*** Classes not in the class tree ***\n2;D9;\n";
    const CliRun two = cli({"check", "rules.kvchk", "--only", "Classes not in the class tree", "Runners without chip"});
    EXPECT_EQ(two.exitCode, 0) << two.err.toStdString();
    EXPECT_EQ(two.out.toStdString(), expectedTwo);
    const CliRun repeated = cli({"check", "rules.kvchk", "--only", "Classes not in the class tree", "--only", "Runners without chip"});
    EXPECT_EQ(repeated.out.toStdString(), expectedTwo);

    const CliRun none = cli({"check", "rules.kvchk", "--only", "Teams without number"});
    EXPECT_EQ(none.exitCode, 0);
    EXPECT_EQ(none.out.toStdString(), "No errors\n");
}

TEST_F(CliCheckSqlFixture, CheckFailuresExitNonZero)
{
    const CliRun missing = cli({"check", "nothere.kvchk"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.err.toStdString(), "korvent-cli: No filenothere.kvchk\n");
    EXPECT_TRUE(missing.out.isEmpty());

    writeFile(folderOf(program) + QStringLiteral("broken.kvchk"), "Fine|SELECT 1\r\nBroken|SELECT nosuch FROM team\r\n");
    const CliRun broken = cli({"check", "broken.kvchk"});
    EXPECT_EQ(broken.exitCode, 1);
    EXPECT_TRUE(broken.out.isEmpty());
    EXPECT_EQ(broken.err.toStdString(), "korvent-cli: Check \"Broken\": no such column: nosuch (line 1, column 8)\n");

    const CliRun unknown = cli({"check", "rules.kvchk", "--only", "Nothing"});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_TRUE(unknown.err.contains(QLatin1String("There is no check \"Nothing\""))) << unknown.err.toStdString();
}

TEST_F(CliCheckSqlFixture, SqlPrintsRowsAndRefusesChangesWithoutYes)
{
    const CliRun rows = cli({"sql", "SELECT number, name FROM team ORDER BY number"});
    EXPECT_EQ(rows.exitCode, 0) << rows.err.toStdString();
    EXPECT_EQ(rows.out.toStdString(), "1;Foxes;\n2;Owls;\n");
    const CliRun none = cli({"sql", "SELECT number FROM team WHERE number > 9"});
    EXPECT_EQ(none.exitCode, 0) << none.err.toStdString();
    EXPECT_TRUE(none.out.isEmpty()) << none.out.toStdString();
    // The last statement's rows.
    EXPECT_EQ(cli({"sql", "SELECT name FROM team; SELECT number FROM team WHERE number = 2;"}).out.toStdString(), "2;\n");
    // A value that would pass for more fields or rows is quoted.
    EXPECT_EQ(cli({"sql", "SELECT 'a;b', NULL, 'say \"hi\"', 'two' || char(10) || 'lines'"}).out.toStdString(),
              "\"a;b\";;\"say \"\"hi\"\"\";\"two\nlines\";\n");

    for (const char *sql : {"UPDATE team SET name = 'X'", "SELECT * FROM team WHERE name = 'update'", "DROP TABLE extrapoint"}) {
        const CliRun refused = cli({"sql", QLatin1String(sql)});
        EXPECT_EQ(refused.exitCode, 1) << sql;
        EXPECT_TRUE(refused.out.isEmpty()) << sql;
        EXPECT_FALSE(refused.err.isEmpty()) << sql;
    }
    EXPECT_EQ(teamName(1), QStringLiteral("Foxes"));
    EXPECT_TRUE(data->connection().tableExists(QStringLiteral("extrapoint")));
    // The operator is told how to run it all the same.
    const CliRun dropped = cli({"sql", "SELECT 1; DROP TABLE extrapoint"});
    EXPECT_EQ(dropped.err.toStdString(), "korvent-cli: The statement would change data; add --yes to run it (line 1, column 11)\n");
    EXPECT_EQ(cli({"sql", "--yes", "DROP TABLE extrapoint"}).exitCode, 0);
    EXPECT_FALSE(data->connection().tableExists(QStringLiteral("extrapoint")));

    const CliRun changed = cli({"sql", "--yes", "UPDATE team SET name = name || '!'"});
    EXPECT_EQ(changed.exitCode, 0) << changed.err.toStdString();
    EXPECT_EQ(changed.out.toStdString(), " 2 rows affected.\n");
    EXPECT_EQ(teamName(2), QStringLiteral("Owls!"));
    const CliRun changedAndShown = cli({"sql", "--yes", "UPDATE team SET name = 'Hawks' WHERE number = 2; SELECT name FROM team WHERE number = 2"});
    EXPECT_EQ(changedAndShown.out.toStdString(), "Hawks;\n 1 rows affected.\n");
}

TEST_F(CliCheckSqlFixture, SqlErrorNamesItsLineAndColumn)
{
    const CliRun failed = cli({"sql", "SELECT number,\n  name\nFROM team WHERE nosuch = 1"});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_EQ(failed.err.toStdString(), "korvent-cli: no such column: nosuch (line 3, column 17)\n");
    const CliRun usage = cli({"sql"});
    EXPECT_EQ(usage.exitCode, 1);
}

TEST_F(CliCheckSqlFixture, SqlYesKeepsTheRowsOfARunThatChangesDataOutOfMemory)
{
    // 400,000 rows kept in memory take about 80 MB; the run is given 48 MB of data.
    const QString rows = QStringLiteral("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 400000) "
                                        "SELECT x, 'Team ' || x, x * 2.5 FROM c");
    QProcess process;
    process.setWorkingDirectory(program.path());
    process.setChildProcessModifier([] {
        const rlimit limit{48 << 20, 48 << 20};
        setrlimit(RLIMIT_DATA, &limit);
    });
    process.start(QStringLiteral(KORVENT_CLI_PATH), {"--event", "event", "sql", "--yes", "UPDATE team SET name = name || '!'; " + rows});
    ASSERT_TRUE(process.waitForStarted());
    QByteArray out;
    while (process.state() != QProcess::NotRunning) {
        process.waitForReadyRead(30'000);
        out += process.readAllStandardOutput();
    }
    out += process.readAllStandardOutput();
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().constData();
    // Every row, after the commit, then the count of the change.
    EXPECT_TRUE(out.startsWith("1;Team 1;2.5;\n"));
    EXPECT_TRUE(out.endsWith("400000;Team 400000;1000000;\n 2 rows affected.\n")) << out.right(100).constData();
    EXPECT_EQ(out.count('\n'), 400'001);
    EXPECT_EQ(teamName(2), QStringLiteral("Owls!"));
}
