#include "TestFolder.h"

#include "db/Connection.h"
#include "db/EditableTableModel.h"
#include "db/SqlScript.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <thread>

namespace {

db::FieldDefinition field(const char *name, db::FieldKind kind, int size = 0)
{
    return {QLatin1String(name), kind, size, {}, {}};
}

const db::TableDefinition teamTable{
    QStringLiteral("team"),
    {field("id", db::FieldKind::AutoIncrement), field("number", db::FieldKind::Integer), field("name", db::FieldKind::Text, 100),
     field("rtime", db::FieldKind::LargeInt)},
    {{QStringLiteral("idxNumber"), {QStringLiteral("number")}, true}}};

struct SqlScriptFixture : ::testing::Test
{
    QTemporaryDir dir;
    QString file = folderOf(dir) + QStringLiteral("event.db");
    db::Connection connection{file, {teamTable}};
    db::Connection other{file};

    void SetUp() override
    {
        for (int n = 1; n <= 5; ++n)
            other.exec(QStringLiteral("INSERT INTO team (number, name, rtime) VALUES (?, ?, ?)"), {n, QStringLiteral("T%1").arg(n), n * 60});
    }
    QStringList names()
    {
        QStringList list;
        QSqlQuery query = other.exec(QStringLiteral("SELECT name FROM team ORDER BY number"));
        while (query.next())
            list.append(query.value(0).toString());
        return list;
    }
    db::SqlOutcome run(const QString &sql, const QVariantList &values = {}, db::SqlAccess access = db::SqlAccess::MayChange)
    {
        return db::RunSqlScript(connection, sql, values, access);
    }
};

QStringList keysAndNames(const std::vector<db::SqlParameter> &parameters)
{
    QStringList list;
    for (const db::SqlParameter &parameter : parameters)
        list.append(parameter.key + u'=' + parameter.name);
    return list;
}

} // namespace

TEST(SqlParameters, InTheOrderTheyFirstAppearOutsideLiteralsAndComments)
{
    const struct { const char *sql; QStringList expected; } cases[] = {
        {"SELECT * FROM team WHERE number=:n AND name=:name OR number=:n", {":n=n", ":name=name"}},
        {"SELECT ?, ? FROM team", {"=1", "=2"}},
        {"SELECT @a, $b, ?7", {"@a=a", "$b=b", "?7=7"}},
        {"SELECT ':x', \"@y\", [$z], `:w`, 'it''s :q' -- :c\n/* :d */ FROM team WHERE rtime = ?", {"=1"}},
        {"SELECT '10:20:30', time('10:20') FROM team WHERE a$b = 1", {}},
        {"SELECT 1 -- no end", {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(keysAndNames(db::SqlParameters(QLatin1String(c.sql))), c.expected) << c.sql;
}

TEST_F(SqlScriptFixture, QueryGivesColumnsWithTheirFieldsAndTypedValues)
{
    const db::SqlOutcome outcome = run(QStringLiteral("SELECT t.id, name AS n, rtime, rtime / 60.0 AS minutes, NULL FROM team t WHERE number = 2"));
    ASSERT_TRUE(outcome.returnsRows);
    EXPECT_EQ(outcome.rowsAffected, -1);
    ASSERT_EQ(outcome.columns.size(), 5u);
    EXPECT_EQ(outcome.columns[1].name, QStringLiteral("n"));
    EXPECT_EQ(outcome.columns[1].table, QStringLiteral("team"));
    EXPECT_EQ(outcome.columns[1].field, QStringLiteral("name"));
    EXPECT_EQ(outcome.columns[1].declaredType, QStringLiteral("VARCHAR(100)"));
    EXPECT_EQ(outcome.columns[2].declaredType, QStringLiteral("BIGINT"));
    EXPECT_TRUE(outcome.columns[3].table.isEmpty());
    ASSERT_EQ(outcome.rows.size(), 1u);
    const QVariantList &row = outcome.rows[0];
    EXPECT_EQ(row[2].typeId(), QMetaType::LongLong);
    EXPECT_EQ(row[3].typeId(), QMetaType::Double);
    EXPECT_EQ(db::SqlValueText(row[1]), QStringLiteral("T2"));
    EXPECT_EQ(db::SqlValueText(row[3]), QStringLiteral("2"));
    EXPECT_EQ(db::SqlValueText(row[4]), QString());
}

TEST_F(SqlScriptFixture, ChangeCountsItsRowsAndReturnsNoRows)
{
    const db::SqlOutcome outcome = run(QStringLiteral("UPDATE team SET name = upper(name) || 'x'"));
    EXPECT_FALSE(outcome.returnsRows);
    EXPECT_EQ(outcome.rowsAffected, 5);
    EXPECT_EQ(names(), QStringList({"T1x", "T2x", "T3x", "T4x", "T5x"}));
    EXPECT_EQ(run(QStringLiteral("DELETE FROM team WHERE 0")).rowsAffected, 0);
}

TEST_F(SqlScriptFixture, StatementsRunInOrderAndTheLastOneShows)
{
    const db::SqlOutcome outcome = run(QStringLiteral("UPDATE team SET name='A' WHERE number=1;\n"
                                                      "DELETE FROM team WHERE number=5;\n"
                                                      "SELECT name FROM team ORDER BY number;"));
    EXPECT_TRUE(outcome.returnsRows);
    EXPECT_EQ(outcome.rowsAffected, 2);
    ASSERT_EQ(outcome.rows.size(), 4u);
    EXPECT_EQ(outcome.rows[0][0].toString(), QStringLiteral("A"));
}

TEST_F(SqlScriptFixture, ParametersAreBoundWhereverTheyStandAcrossStatements)
{
    const db::SqlOutcome outcome = run(QStringLiteral("UPDATE team SET name = :name WHERE number = ?;\n"
                                                      "SELECT :name, ?, number FROM team WHERE name = :name"),
                                       {QStringLiteral("Foxes"), QStringLiteral("3"), QStringLiteral("")});
    EXPECT_EQ(outcome.rowsAffected, 1);
    ASSERT_EQ(outcome.rows.size(), 1u);
    EXPECT_EQ(outcome.rows[0][0].toString(), QStringLiteral("Foxes"));
    EXPECT_EQ(outcome.rows[0][1].toString(), QString());
    EXPECT_EQ(outcome.rows[0][2].toLongLong(), 3);
    EXPECT_THROW(run(QStringLiteral("SELECT :a"), {}), KorventError);
}

TEST_F(SqlScriptFixture, EngineErrorsNameTheirLineAndColumn)
{
    const struct { const char *sql; int line; int column; const char *reason; } cases[] = {
        {"SELECT id\nFROM team\nWHERE id = 1 +nosuch", 3, 15, "no such column: nosuch"},
        {"SELECT 1;\n  SELEC 2", 2, 3, "near \"SELEC\": syntax error"},
        // An error without a place of its own points at its statement.
        {"SELECT 1\nFROM teem", 1, 1, "no such table: teem"},
        // A failure while running points at its statement.
        {"UPDATE team SET name='X';\n\n   -- the number is taken\n   UPDATE team SET number = 2 WHERE number = 1", 4, 4,
         "UNIQUE constraint failed: team.number"},
    };
    for (const auto &c : cases) {
        try {
            run(QString::fromUtf8(c.sql));
            ADD_FAILURE() << "ran " << c.sql;
        } catch (const db::SqlError &error) {
            EXPECT_EQ(error.line(), c.line) << c.sql;
            EXPECT_EQ(error.column(), c.column) << c.sql;
            EXPECT_EQ(error.reason(), QString::fromUtf8(c.reason));
            EXPECT_EQ(error.message(), error.reason() + QStringLiteral(" (line %1, column %2)").arg(c.line).arg(c.column));
        }
    }
    // The failed run is one transaction: the first UPDATE went with it.
    EXPECT_EQ(names(), QStringList({"T1", "T2", "T3", "T4", "T5"}));
}

TEST_F(SqlScriptFixture, PlacesAndParametersStayRightAcrossManyStatements)
{
    QString sql;
    for (int i = 0; i < 300; ++i)
        sql += QStringLiteral("UPDATE team SET name = 'Jõgeva 😀' || :mark WHERE number = %1;\n").arg(i % 5 + 1);
    sql += QStringLiteral("SELECT name || :mark FROM team WHERE number = 5;\n");
    const db::SqlOutcome outcome = run(sql, {QStringLiteral("!")});
    EXPECT_EQ(outcome.rowsAffected, 300);
    ASSERT_EQ(outcome.rows.size(), 1u);
    EXPECT_EQ(outcome.rows[0][0].toString(), QStringLiteral("Jõgeva 😀!!"));
    try {
        run(sql + QStringLiteral("  SELECT 'ä', nosuch"), {QStringLiteral("!")});
        ADD_FAILURE() << "ran";
    } catch (const db::SqlError &error) {
        EXPECT_EQ(error.line(), 302);
        EXPECT_EQ(error.column(), 15);
    }
}

TEST_F(SqlScriptFixture, NulCharacterIsRefusedWhereItStands)
{
    // A binary rule or history file: the engine would read no further than the NUL.
    for (const QString &sql : {QStringLiteral("UPDATE team SET name='X';\nSELECT 1") + QChar(0) + QStringLiteral("; SELECT 2"),
                               QStringLiteral("UPDATE team SET name='X';\nSELECT 'a") + QChar(0) + QStringLiteral("b'")}) {
        try {
            run(sql);
            ADD_FAILURE() << "ran";
        } catch (const db::SqlError &error) {
            EXPECT_EQ(error.line(), 2);
            EXPECT_EQ(error.column(), sql.endsWith(u'\'') ? 10 : 9);
        }
    }
    EXPECT_EQ(names(), QStringList({"T1", "T2", "T3", "T4", "T5"}));
}

TEST_F(SqlScriptFixture, ColumnsCountCharactersNotBytes)
{
    try {
        run(QStringLiteral("SELECT 'Jõgeva', 'Tõnis', nosuch FROM team"));
        FAIL();
    } catch (const db::SqlError &error) {
        EXPECT_EQ(error.line(), 1);
        EXPECT_EQ(error.column(), 27);
    }
}

TEST_F(SqlScriptFixture, ReadOnlyRunRefusesChangesAndTransactionsAreRefused)
{
    EXPECT_THROW(run(QStringLiteral("SELECT 1; DELETE FROM team"), {}, db::SqlAccess::ReadOnly), db::SqlChangeRefused);
    EXPECT_EQ(names().size(), 5);
    const QString attached = folderOf(dir) + QStringLiteral("other.db");
    EXPECT_THROW(run(QStringLiteral("ATTACH '%1' AS other").arg(attached), {}, db::SqlAccess::ReadOnly), db::SqlError);
    EXPECT_FALSE(QFile::exists(attached));
    for (const char *sql : {"BEGIN; DELETE FROM team; COMMIT", "UPDATE team SET name='Z'; /* done */ commit", "SAVEPOINT a"}) {
        EXPECT_THROW(run(QLatin1String(sql)), db::SqlError) << sql;
        EXPECT_EQ(names(), QStringList({"T1", "T2", "T3", "T4", "T5"})) << sql;
    }
    // The connection is free for the next change.
    EXPECT_EQ(run(QStringLiteral("UPDATE team SET name='Z' WHERE number=1")).rowsAffected, 1);
}

TEST_F(SqlScriptFixture, PragmasOnlyReadTheConnectionAndTheFileStayAsTheProgramSetThem)
{
    for (const db::SqlAccess access : {db::SqlAccess::ReadOnly, db::SqlAccess::MayChange}) {
        for (const char *sql : {"PRAGMA locking_mode=EXCLUSIVE", "PRAGMA query_only = 1", "pragma BUSY_TIMEOUT(0)",
                                "PRAGMA journal_mode=DELETE", "PRAGMA main.writable_schema=ON", "PRAGMA synchronous=OFF",
                                "SELECT 1;\nPRAGMA optimize", "SELECT * FROM pragma_optimize"}) {
            try {
                run(QLatin1String(sql), {}, access);
                ADD_FAILURE() << sql;
            } catch (const db::SqlError &error) {
                EXPECT_TRUE(error.reason().startsWith(QLatin1String("PRAGMA "))) << error.message().toStdString();
            }
        }
        for (const char *sql : {"PRAGMA table_info(team)", "PRAGMA integrity_check", "PRAGMA locking_mode", "PRAGMA user_version",
                                "SELECT name FROM pragma_table_info('team')"})
            EXPECT_FALSE(run(QLatin1String(sql), {}, access).rows.empty()) << sql;
    }
    // Statistics would change the plans of the program's own queries.
    EXPECT_EQ(other.scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name LIKE 'sqlite_stat%'")).toInt(), 0);
    EXPECT_EQ(connection.scalar(QStringLiteral("PRAGMA locking_mode")).toString(), QStringLiteral("normal"));
    EXPECT_EQ(connection.scalar(QStringLiteral("PRAGMA busy_timeout")).toInt(), 30'000);
    EXPECT_EQ(other.scalar(QStringLiteral("PRAGMA journal_mode")).toString(), QStringLiteral("wal"));
    // The connection still writes, and another one beside it.
    EXPECT_EQ(run(QStringLiteral("UPDATE team SET name='Z' WHERE number=1")).rowsAffected, 1);
    other.exec(QStringLiteral("UPDATE team SET name='Y' WHERE number=2"));
    EXPECT_EQ(names(), QStringList({"Z", "Y", "T3", "T4", "T5"}));
}

TEST_F(SqlScriptFixture, RowsOfTheLastStatementGoToTheSinkAsTheEngineGivesThem)
{
    QStringList columns;
    std::vector<QVariantList> taken;
    const db::SqlRowSink sink = [&](const std::vector<db::SqlColumn> &names, QVariantList &&row) {
        columns.clear();
        for (const db::SqlColumn &column : names)
            columns.append(column.name);
        if (taken.size() == 3 && row.at(1).toString() == QLatin1String("stop"))
            throw db::SqlError(QStringLiteral("enough"), 0, 0);
        taken.push_back(std::move(row));
    };
    const QString sql = QStringLiteral("SELECT name FROM team; UPDATE team SET name = :name WHERE number = 4;\n"
                                       "SELECT number, name FROM team ORDER BY number;; -- done\n;");
    const db::SqlOutcome outcome = db::RunSqlScript(connection, sql, {QStringLiteral("S")}, db::SqlAccess::MayChange, nullptr, sink);
    EXPECT_TRUE(outcome.returnsRows);
    EXPECT_TRUE(outcome.rows.empty());
    EXPECT_EQ(outcome.rowsAffected, 1);
    EXPECT_EQ(columns, QStringList({"number", "name"}));
    ASSERT_EQ(taken.size(), 5u);
    EXPECT_EQ(taken[3].at(1).toString(), QStringLiteral("S"));

    // An error from the sink ends the run like one of the engine's.
    taken.clear();
    EXPECT_THROW(db::RunSqlScript(connection, sql, {QStringLiteral("stop")}, db::SqlAccess::MayChange, nullptr, sink), db::SqlError);
    EXPECT_EQ(names(), QStringList({"T1", "T2", "T3", "S", "T5"}));
    // Without a sink the outcome keeps the rows, also before closing semicolons.
    EXPECT_EQ(run(QStringLiteral("SELECT 1; SELECT number FROM team;;")).rows.size(), 5u);
}

TEST_F(SqlScriptFixture, CancelStopsARunningStatementAndKeepsNothing)
{
    // started() tells the test that the endless statement is under way.
    static std::atomic<bool> started{false};
    sqlite3_create_function(connection.nativeHandle(), "started", 0, SQLITE_UTF8, nullptr,
                            [](sqlite3_context *context, int, sqlite3_value **) {
                                started = true;
                                sqlite3_result_int(context, 1);
                            },
                            nullptr, nullptr);
    std::atomic<bool> cancel{false};
    std::thread stopper([&] {
        while (!started)
            std::this_thread::yield();
        cancel = true;
    });
    try {
        db::RunSqlScript(connection,
                         QStringLiteral("UPDATE team SET name='busy' WHERE number=1;\n"
                                        "SELECT count(*) FROM (WITH RECURSIVE c(x) AS (SELECT started() UNION ALL SELECT x+1 FROM c) SELECT x FROM c)"),
                         {}, db::SqlAccess::MayChange, &cancel);
        ADD_FAILURE() << "ran to the end";
    } catch (const db::SqlError &error) {
        EXPECT_TRUE(error.message().startsWith(QLatin1String("Stopped"))) << error.message().toStdString();
    }
    stopper.join();
    EXPECT_EQ(names(), QStringList({"T1", "T2", "T3", "T4", "T5"}));
    // The connection runs again after a stop, and holds no transaction that would keep others waiting.
    EXPECT_EQ(run(QStringLiteral("SELECT 1")).rows.size(), 1u);
    EXPECT_TRUE(sqlite3_get_autocommit(connection.nativeHandle()));
    other.exec(QStringLiteral("PRAGMA busy_timeout=0"));
    other.exec(QStringLiteral("UPDATE team SET name='after' WHERE number=5"));
}

TEST_F(SqlScriptFixture, KeyedModelShowsTheReturnedRowsInTheirOrder)
{
    db::EditableTableModel model(connection, teamTable, {QStringLiteral("name")});
    model.setKeys({4, 2, 4});
    model.select();
    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.value(0, QStringLiteral("name")).toString(), QStringLiteral("T4"));
    EXPECT_EQ(model.value(1, QStringLiteral("name")).toString(), QStringLiteral("T2"));
    model.insertNewRows(2, 1);
    model.setValue(2, QStringLiteral("name"), QStringLiteral("New"));
    model.select();
    ASSERT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.value(2, QStringLiteral("name")).toString(), QStringLiteral("New"));
}
