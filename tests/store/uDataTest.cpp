#include "TestFolder.h"
#include "EventRows.h"

#include "store/DateTime.h"
#include "store/EventSchema.h"
#include "base/KorventError.h"
#include "store/uData.h"
#include "db/EditableTableModel.h"

#include <QSqlRecord>
#include <gtest/gtest.h>

namespace {

QStringList storedFields(db::Connection &connection, const QString &table)
{
    QStringList names;
    QSqlQuery query = connection.exec(QStringLiteral("PRAGMA table_info(\"%1\")").arg(table));
    while (query.next())
        names.append(query.value(1).toString());
    return names;
}

QStringList storedIndexes(db::Connection &connection)
{
    return connection.texts(QStringLiteral("SELECT name FROM sqlite_master WHERE type='index' AND name NOT LIKE 'sqlite_%' ORDER BY name"));
}

} // namespace

TEST(EventDatabase, EmptyFolderGetsFiveTablesWithTheirIndexes)
{
    QTemporaryDir dir;
    TdmData data(folderOf(dir));
    EXPECT_TRUE(QFile::exists(folderOf(dir) + QStringLiteral("rogain.abs")));
    db::Connection &connection = data.connection();
    EXPECT_EQ(storedFields(connection, QStringLiteral("res_cp")),
              QStringList({"id", "team_id", "runner_id", "count", "KP", "time", "status", "note", "ctime"}));
    EXPECT_EQ(storedFields(connection, QStringLiteral("team")),
              QStringList({"id", "number", "name", "club", "country", "class", "entryID", "entrydate", "chip", "start",
                           "finis", "inCenter", "points", "penalty", "result", "rtime", "teamNote", "printtime",
                           "status", "calctime", "subclass"}));
    EXPECT_EQ(storedFields(connection, QStringLiteral("runner")),
              QStringList({"id", "team_id", "firstname", "lastname", "club", "country", "birthdate", "chipnr",
                           "personalinfo", "rentchip", "sex", "started"}));
    EXPECT_EQ(storedFields(connection, QStringLiteral("control")),
              QStringList({"id", "controlnr", "unitnumber", "points", "type", "pos_x", "pos_y", "text"}));
    EXPECT_EQ(storedFields(connection, QStringLiteral("extrapoint")), QStringList({"id", "from", "to", "points"}));
    // Used on a server only; a file keeps them empty.
    EXPECT_EQ(storedFields(connection, QStringLiteral("eventsetting")), QStringList({"id", "section", "name", "value"}));
    EXPECT_EQ(storedFields(connection, QStringLiteral("eventclasstree")), QStringList({"id", "tree"}));
    EXPECT_EQ(storedFields(connection, QStringLiteral("correctionlog")), QStringList({"id", "line"}));
    EXPECT_EQ(storedIndexes(connection),
              QStringList({"control_idxPrim", "control_idxUnit", "eventsetting_idxName", "extrapoint_idxPrim", "res_cp_idxID", "res_cp_idxPrim",
                           "res_cp_idxRes", "res_cp_idxRunner", "runner_idxChip", "runner_idxPrim", "runner_idxTeam", "team_idxChip",
                           "team_idxID", "team_idxNumber"}));
    EXPECT_EQ(connection.scalar(QStringLiteral("SELECT sql FROM sqlite_master WHERE name='res_cp_idxRes'")).toString(),
              QStringLiteral("CREATE INDEX \"res_cp_idxRes\" ON \"res_cp\" (\"team_id\", \"KP\", \"ctime\")"));
    EXPECT_TRUE(connection.scalar(QStringLiteral("SELECT sql FROM sqlite_master WHERE name='control_idxPrim'"))
                    .toString().startsWith(QLatin1String("CREATE UNIQUE INDEX")));
    for (const db::TableDefinition &table : EventTables())
        EXPECT_EQ(data.rowCount(table.name), 0) << table.name.toStdString();
}

TEST(EventDatabase, MissingTableIsAddedAndOthersKeepTheirRows)
{
    QTemporaryDir dir;
    {
        TdmData data(folderOf(dir));
        insertRow(data, QStringLiteral("team"), {{"number", 7}, {"name", "Foxes"}});
        insertRow(data, QStringLiteral("extrapoint"), {{"from", 31}, {"to", 32}, {"points", 5}});
        data.connection().exec(QStringLiteral("DROP TABLE \"extrapoint\""));
        // An older file may have a team table of its own shape: it is never altered.
        data.connection().exec(QStringLiteral("ALTER TABLE \"team\" ADD COLUMN \"legacy\" TEXT"));
    }
    TdmData reopened(folderOf(dir));
    EXPECT_TRUE(reopened.connection().tableExists(QStringLiteral("extrapoint")));
    EXPECT_EQ(reopened.rowCount(QStringLiteral("extrapoint")), 0);
    ASSERT_EQ(reopened.rowCount(QStringLiteral("team")), 1);
    EXPECT_EQ(selectRows(reopened, QStringLiteral("team")).front().value("name").toString(), QStringLiteral("Foxes"));
    EXPECT_TRUE(storedFields(reopened.connection(), QStringLiteral("team")).contains(QStringLiteral("legacy")));
    EXPECT_TRUE(storedIndexes(reopened.connection()).contains(QStringLiteral("extrapoint_idxPrim")));
}

TEST(EventDatabase, NewRowsGetTheirDefaults)
{
    QTemporaryDir dir;
    TdmData data(folderOf(dir));
    const qint64 team = insertRow(data, QStringLiteral("team"), {{"number", 1}});
    const qint64 runner = insertRow(data, QStringLiteral("runner"), {{"team_id", team}});
    const qint64 punch = insertRow(data, QStringLiteral("res_cp"), {{"team_id", team}, {"KP", "31"}});
    EXPECT_EQ(findRow(data, QStringLiteral("team"), team)->value("status").toInt(), 9);
    EXPECT_EQ(findRow(data, QStringLiteral("runner"), runner)->value("started").toInt(), 0);
    EXPECT_EQ(findRow(data, QStringLiteral("res_cp"), punch)->value("status").toInt(), 9);
    // Rows written by other tools get the same defaults from the table itself.
    data.connection().exec(QStringLiteral("INSERT INTO \"team\" (\"number\") VALUES (2)"));
    EXPECT_EQ(selectRows(data, QStringLiteral("team"), {{"number", 2}}).front().value("status").toInt(), 9);
}

TEST(EventDatabase, StoredFormsOfDateTimesBooleansAndEmptyTexts)
{
    QTemporaryDir dir;
    TdmData data(folderOf(dir));
    const SerialDateTime start = DateTime::fromDateAndTime(QDate(2026, 6, 1), QTime(10, 0, 0));
    const qint64 team = insertRow(data, QStringLiteral("team"), {{"number", 1}, {"start", start}, {"club", ""}});
    const qint64 runner = insertRow(data, QStringLiteral("runner"), {{"team_id", team}, {"started", true},
                                                                    {"birthdate", DateTime::fromDateAndTime(QDate(1970, 7, 1), QTime())}});
    const Row teamRow = *findRow(data, QStringLiteral("team"), team);
    EXPECT_EQ(teamRow.value("start").toString(), QStringLiteral("2026-06-01 10:00:00"));
    EXPECT_TRUE(teamRow.value("club").isNull());
    EXPECT_TRUE(teamRow.value("finis").isNull());
    const Row runnerRow = *findRow(data, QStringLiteral("runner"), runner);
    EXPECT_EQ(runnerRow.value("started").toInt(), 1);
    EXPECT_EQ(runnerRow.value("birthdate").toString(), QStringLiteral("1970-07-01"));
}

TEST(EventDatabase, UnknownTablesAndFieldsAreNamedInTheError)
{
    QTemporaryDir dir;
    TdmData data(folderOf(dir));
    try {
        insertRow(data, QStringLiteral("team"), {{"nmber", 1}});
        FAIL();
    } catch (const KorventError &error) {
        EXPECT_TRUE(error.message().contains(QLatin1String("nmber")));
    }
    EXPECT_THROW(data.rowCount(QStringLiteral("teams")), KorventError);
    EXPECT_EQ(data.rowCount(QStringLiteral("team")), 0);
}

TEST(EventDatabase, SelectOrdersByTheFieldsNamed)
{
    QTemporaryDir dir;
    TdmData data(folderOf(dir));
    for (const char *kp : {"2", "10", "F", "31"})
        insertRow(data, QStringLiteral("res_cp"), {{"team_id", 1}, {"KP", kp}});
    QStringList order;
    for (const Row &row : selectRows(data, QStringLiteral("res_cp"), {{"team_id", 1}}, {QStringLiteral("KP")}))
        order.append(row.value("KP").toString());
    EXPECT_EQ(order, QStringList({"10", "2", "31", "F"}));
}

TEST(EventDatabase, TheControlGridTakesOnlyPositionsARealMapCanHave)
{
    QTemporaryDir dir;
    TdmData data(folderOf(dir));
    insertRow(data, QStringLiteral("control"), {{"controlnr", "31"}, {"pos_x", 100}, {"pos_y", 200}});
    db::EditableTableModel grid(data.connection(), EventTable(QStringLiteral("control")), {"controlnr", "pos_x", "pos_y"});
    grid.select();
    const struct { const char *field; const char *text; bool taken; } cases[] = {
        {"pos_x", "-1000000", true},
        {"pos_y", "1000000", true},
        {"pos_x", "-420", true},
        {"pos_x", "1000001", false},
        {"pos_y", "-123456789012345", false},
        {"pos_y", "999999999999999", false},
    };
    for (const auto &c : cases) {
        const QVariant before = data.connection().scalar(QStringLiteral("SELECT %1 FROM control").arg(QLatin1String(c.field)));
        try {
            grid.setValue(0, QLatin1String(c.field), QLatin1String(c.text));
            EXPECT_TRUE(c.taken) << c.field << "=" << c.text << " was taken";
        } catch (const KorventError &error) {
            EXPECT_FALSE(c.taken) << error.message().toStdString();
            EXPECT_TRUE(error.message().contains(QLatin1String(c.text))) << error.message().toStdString();
            EXPECT_TRUE(error.message().contains(QStringLiteral("outside -1000000 to 1000000"))) << error.message().toStdString();
            EXPECT_EQ(data.connection().scalar(QStringLiteral("SELECT %1 FROM control").arg(QLatin1String(c.field))), before);
        }
    }
}

TEST(EventSchemaVersion, AFileOfTheProgramBeforeVersionsOpensAndIsMarked)
{
    QTemporaryDir dir;
    const QString event = folderOf(dir);
    {
        // As the program before schema versions made it: the same tables, user_version 0.
        db::Connection before(TdmData::databaseFileName(event), EventTables());
        before.exec(QStringLiteral("INSERT INTO team (number, name, status) VALUES (7, 'Öökull', 9)"));
        ASSERT_EQ(before.scalar(QStringLiteral("PRAGMA user_version")).toInt(), 0);
    }
    TdmData data(event);
    EXPECT_EQ(data.connection().scalar(QStringLiteral("PRAGMA user_version")).toInt(), EventSchemaVersion);
    EXPECT_EQ(data.connection().scalar(QStringLiteral("SELECT name FROM team WHERE number=7")).toString(), QStringLiteral("Öökull"));

    QTemporaryDir fresh;
    EXPECT_EQ(TdmData(folderOf(fresh)).connection().scalar(QStringLiteral("PRAGMA user_version")).toInt(), EventSchemaVersion);
}

TEST(EventSchemaVersion, AnOlderFileGetsTheFieldsAddedSinceWithTheirDefaults)
{
    const struct
    {
        const char *table, *field;
        int version; // 0: made before versions were kept
        const char *use; // a statement that needs the field
    } cases[] = {
        {"team", "subclass", 0, "UPDATE team SET subclass='MV' WHERE number=7"},
        {"team", "calctime", 0, "SELECT count(*) FROM team WHERE calctime > ''"},
        {"control", "points", 0, "SELECT sum(points) FROM control"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.table) + '.' + c.field);
        QTemporaryDir dir;
        const QString event = folderOf(dir);
        const QString table = QLatin1String(c.table), field = QLatin1String(c.field);
        {
            db::Connection old(TdmData::databaseFileName(event), EventTables());
            old.exec(QStringLiteral("INSERT INTO team (number, name) VALUES (7, 'Öökull')"));
            old.exec(QStringLiteral("INSERT INTO control (controlnr) VALUES ('31')"));
            old.exec(QStringLiteral("ALTER TABLE %1 DROP COLUMN %2").arg(table, field));
            old.exec(QStringLiteral("PRAGMA user_version=%1").arg(c.version));
        }
        TdmData data(event);
        db::Connection &connection = data.connection();
        EXPECT_EQ(connection.scalar(QStringLiteral("PRAGMA user_version")).toInt(), EventSchemaVersion);
        EXPECT_NO_THROW(connection.exec(QString::fromLatin1(c.use)));
        EXPECT_EQ(connection.scalar(QStringLiteral("SELECT name FROM team WHERE number=7")).toString(), QStringLiteral("Öökull"));
        const db::FieldDefinition &definition = *EventTable(table).field(field);
        EXPECT_EQ(connection.scalar(QStringLiteral("SELECT dflt_value IS NOT NULL FROM pragma_table_info(?) WHERE name=?"), {table, field}).toBool(),
                  definition.defaultValue.isValid());
    }
}

TEST(EventSchemaVersion, AFileOfANewerVersionIsRefusedUntouched)
{
    QTemporaryDir dir;
    const QString event = folderOf(dir);
    const QString file = TdmData::databaseFileName(event);
    {
        db::Connection newer(file, EventTables());
        newer.exec(QStringLiteral("INSERT INTO team (number, name) VALUES (7, 'Foxes')"));
        newer.exec(QStringLiteral("PRAGMA user_version=%1").arg(EventSchemaVersion + 1));
        newer.exec(QStringLiteral("PRAGMA journal_mode=DELETE"));
    }
    const QByteArray content = readFile(file);
    try {
        TdmData data(event);
        ADD_FAILURE() << "a newer file was opened";
    } catch (const KorventError &error) {
        EXPECT_EQ(error.message(), QStringLiteral("Cannot open the database file %1: it was made by a newer version of the program "
                                                  "(database version %2; this version reads up to %3)")
                                       .arg(file)
                                       .arg(EventSchemaVersion + 1)
                                       .arg(EventSchemaVersion));
    }
    EXPECT_EQ(readFile(file), content);
    EXPECT_FALSE(QFile::exists(file + QStringLiteral("-wal")));
}
