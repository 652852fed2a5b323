#include "TestFolder.h"

#include "base/KorventError.h"
#include "base/Platform.h"
#include "db/Connection.h"
#include "db/EditableTableModel.h"

#include <QLocale>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

db::FieldDefinition field(const char *name, db::FieldKind kind, int size = 0, const char *label = "", QVariant defaultValue = {})
{
    return {QLatin1String(name), kind, size, QLatin1String(label), defaultValue};
}

const db::TableDefinition runnerTable{
    QStringLiteral("runner"),
    {field("id", db::FieldKind::AutoIncrement), field("team_id", db::FieldKind::Integer),
     field("name", db::FieldKind::Text, 10, "Name"), field("number", db::FieldKind::Integer, 0, "Number"),
     field("note", db::FieldKind::Memo), field("born", db::FieldKind::Date, 0, "Birthdate"),
     field("seen", db::FieldKind::DateTime), field("started", db::FieldKind::Boolean, 0, "Started", 0)},
    {}};

struct EditableTableFixture : ::testing::Test
{
    QTemporaryDir dir;
    QString file = folderOf(dir) + QStringLiteral("event.db");
    db::Connection connection{file, {runnerTable}};
    // Another user of the file: another window, the readout, a script.
    db::Connection other{file};
    db::EditableTableModel model{connection, runnerTable, {"name", "number", "note", "born", "seen", "started"}};
    QSignalSpy failures{&model, &db::EditableTableModel::failed};

    qint64 addRow(const QString &name, int number, int team = 1)
    {
        return other.exec(QStringLiteral("INSERT INTO runner (team_id, name, number) VALUES (?, ?, ?)"), {team, name, number})
            .lastInsertId()
            .toLongLong();
    }
    QVariant stored(qint64 id, const char *fieldName)
    {
        return other.scalar(QStringLiteral("SELECT \"%1\" FROM runner WHERE id=?").arg(QLatin1String(fieldName)), {id});
    }
    QModelIndex cell(int row, const char *fieldName) { return model.index(row, model.columnOf(QLatin1String(fieldName))); }
    QString lastFailure() const { return failures.isEmpty() ? QString() : failures.last().at(0).toString(); }
};

} // namespace

TEST_F(EditableTableFixture, RowsAreFetchedInBatchesInTheOrderAsked)
{
    {
        db::Transaction transaction(other);
        for (int n = 0; n < 600; ++n)
            addRow(QStringLiteral("R%1").arg(n), 600 - n);
        transaction.commit();
    }
    model.setOrder({QStringLiteral("number")});
    model.select();
    EXPECT_EQ(model.rowCount(), 256);
    EXPECT_TRUE(model.canFetchMore());
    EXPECT_EQ(model.data(cell(0, "name")).toString(), QStringLiteral("R599"));
    model.fetchMore();
    model.fetchMore();
    EXPECT_EQ(model.rowCount(), 600);
    EXPECT_FALSE(model.canFetchMore());
    EXPECT_EQ(model.data(cell(599, "number")).toInt(), 600);
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Name"));
    EXPECT_EQ(model.headerData(2, Qt::Horizontal).toString(), QStringLiteral("note"));
    EXPECT_EQ(model.columnOf(QStringLiteral("id")), -1);
}

TEST_F(EditableTableFixture, LocatingAKeyFetchesUntilItIsFound)
{
    std::vector<qint64> ids;
    {
        db::Transaction transaction(other);
        for (int n = 0; n < 700; ++n)
            ids.push_back(addRow(QStringLiteral("R%1").arg(n), n));
        transaction.commit();
    }
    model.select();
    EXPECT_EQ(model.rowOf(ids[1]), 1);
    EXPECT_EQ(model.rowCount(), 256);
    EXPECT_EQ(model.rowOf(ids[600]), 600);
    EXPECT_EQ(model.rowId(600), ids[600]);
    EXPECT_EQ(model.rowOf(999'999), -1);
    EXPECT_EQ(model.rowCount(), 700);
}

TEST_F(EditableTableFixture, AnEditIsWrittenAtOnceAndOnlyItsRowIsReadBack)
{
    const qint64 anna = addRow(QStringLiteral("Anna"), 1);
    const qint64 bert = addRow(QStringLiteral("Bert"), 2);
    model.select();
    // Changed elsewhere after the grid read it: the grid shows it after a refresh, not after an edit.
    other.exec(QStringLiteral("UPDATE runner SET name='Berta' WHERE id=?"), {bert});

    EXPECT_TRUE(model.setData(cell(0, "number"), QStringLiteral(" 17 ")));
    EXPECT_EQ(stored(anna, "number").toInt(), 17);
    EXPECT_EQ(model.data(cell(0, "number")).toString(), QStringLiteral("17"));
    EXPECT_EQ(model.data(cell(1, "name")).toString(), QStringLiteral("Bert"));
    EXPECT_TRUE(model.setData(cell(0, "born"), QStringLiteral("1990-02-03")));
    EXPECT_TRUE(model.setData(cell(0, "seen"), QDateTime(QDate(2026, 6, 13), QTime(12, 30, 5))));
    EXPECT_TRUE(model.setData(cell(0, "started"), Qt::Checked, Qt::CheckStateRole));
    EXPECT_EQ(stored(anna, "born").toString(), QStringLiteral("1990-02-03"));
    EXPECT_EQ(stored(anna, "seen").toString(), QStringLiteral("2026-06-13 12:30:05"));
    EXPECT_EQ(stored(anna, "started").toInt(), 1);
    EXPECT_EQ(model.data(cell(0, "started"), Qt::CheckStateRole).toInt(), Qt::Checked);

    // Emptied cells are stored as NULL, texts and numbers alike.
    EXPECT_TRUE(model.setData(cell(0, "name"), QString()));
    EXPECT_TRUE(model.setData(cell(0, "number"), QStringLiteral("  ")));
    EXPECT_TRUE(stored(anna, "name").isNull());
    EXPECT_TRUE(stored(anna, "number").isNull());
    EXPECT_EQ(model.data(cell(0, "name"), Qt::EditRole).toString(), QString());

    model.select();
    EXPECT_EQ(model.data(cell(1, "name")).toString(), QStringLiteral("Berta"));
    EXPECT_TRUE(failures.isEmpty()) << lastFailure().toStdString();
}

TEST_F(EditableTableFixture, RefusedEditsAreReportedAndLeaveTheStoredValue)
{
    const qint64 anna = addRow(QStringLiteral("Anna"), 1);
    const qint64 bert = addRow(QStringLiteral("Bert"), 2);
    model.select();
    struct Case
    {
        const char *field;
        QVariant value;
        const char *says;
    };
    for (const Case &c : {Case{"number", QStringLiteral("12a"), "Number: \"12a\" is not a whole number"},
                          Case{"number", QStringLiteral("99999999999"), "Number: \"99999999999\" is outside"},
                          Case{"name", QStringLiteral("Anna-Lena Smith"), "Name: \"Anna-Lena Smith\" is longer than 10 characters"},
                          Case{"born", QStringLiteral("1990-02-30"), "Birthdate: \"1990-02-30\" is not a date: no such day"},
                          Case{"born", QStringLiteral("29.02.1999"), "Birthdate: \"29.02.1999\" is not a date: no such day"},
                          Case{"born", QStringLiteral("1899-12-31"), "Birthdate: \"1899-12-31\" is before 1900-01-01"},
                          Case{"born", QDate::currentDate().addDays(1), "Birthdate: \""},
                          Case{"born", QStringLiteral("noon"), "Birthdate: \"noon\" is not a date of the form"},
                          Case{"seen", QStringLiteral("noon"), "seen: \"noon\" is not a date and time"}}) {
        EXPECT_FALSE(model.setData(cell(0, c.field), c.value)) << c.field;
        EXPECT_TRUE(lastFailure().startsWith(QLatin1String(c.says))) << lastFailure().toStdString();
        EXPECT_THROW(model.setValue(0, QLatin1String(c.field), c.value), KorventError);
    }
    EXPECT_EQ(stored(anna, "number").toInt(), 1);
    EXPECT_EQ(stored(anna, "name").toString(), QStringLiteral("Anna"));
    EXPECT_TRUE(stored(anna, "born").isNull());

    // A row deleted by someone else cannot take the edit; the operator is told.
    other.exec(QStringLiteral("DELETE FROM runner WHERE id=?"), {bert});
    EXPECT_FALSE(model.setData(cell(1, "name"), QStringLiteral("Bertram")));
    EXPECT_TRUE(lastFailure().contains(QLatin1String("deleted"))) << lastFailure().toStdString();
    EXPECT_EQ(other.scalar(QStringLiteral("SELECT COUNT(*) FROM runner")).toInt(), 1);
}

TEST_F(EditableTableFixture, EditsTakeTheFilesWriterLockInATransaction)
{
    const qint64 anna = addRow(QStringLiteral("Anna"), 1);
    model.select();
    {
        // Another change of this thread is open: the edit is refused at once, never half-written.
        db::Transaction open(other);
        EXPECT_FALSE(model.setData(cell(0, "number"), 5));
        EXPECT_TRUE(lastFailure().contains(QLatin1String("already open"))) << lastFailure().toStdString();
        open.commit();
    }
    EXPECT_EQ(stored(anna, "number").toInt(), 1);
    EXPECT_TRUE(model.setData(cell(0, "number"), 5));
    EXPECT_EQ(stored(anna, "number").toInt(), 5);
}

TEST_F(EditableTableFixture, NewRowsWaitForTheirFirstValueAndTakeTheMaster)
{
    addRow(QStringLiteral("Anna"), 1, 7);
    addRow(QStringLiteral("Cleo"), 3, 8);
    model.setMaster(QStringLiteral("team_id"), 7);
    model.select();
    ASSERT_EQ(model.rowCount(), 1);

    EXPECT_TRUE(model.insertRows(1, 2));
    EXPECT_EQ(model.rowId(1), 0);
    EXPECT_EQ(model.headerData(1, Qt::Vertical).toString(), QStringLiteral("*"));
    EXPECT_EQ(model.data(cell(1, "started"), Qt::CheckStateRole).toInt(), Qt::Unchecked);
    EXPECT_EQ(other.scalar(QStringLiteral("SELECT COUNT(*) FROM runner")).toInt(), 2);
    // An empty cell does not make a row.
    EXPECT_TRUE(model.setData(cell(1, "name"), QString()));
    EXPECT_EQ(model.rowId(1), 0);

    EXPECT_TRUE(model.setData(cell(1, "name"), QStringLiteral("Bert")));
    const qint64 bert = model.rowId(1);
    EXPECT_NE(bert, 0);
    EXPECT_EQ(stored(bert, "team_id").toInt(), 7);
    EXPECT_EQ(stored(bert, "started").toInt(), 0);
    EXPECT_EQ(model.value(1, QStringLiteral("team_id")).toInt(), 7);
    EXPECT_EQ(model.headerData(1, Qt::Vertical).toString(), QStringLiteral("2"));

    model.dropNewRows();
    EXPECT_EQ(model.rowCount(), 2);
    EXPECT_TRUE(model.removeRows(1, 1));
    EXPECT_EQ(model.rowCount(), 1);
    EXPECT_EQ(other.scalar(QStringLiteral("SELECT GROUP_CONCAT(name) FROM runner ORDER BY id")).toString(), QStringLiteral("Anna,Cleo"));

    // Without a current master row there are no rows and none can be added.
    model.setMaster(QStringLiteral("team_id"), QVariant());
    model.select();
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_FALSE(model.insertRows(0, 1));
    EXPECT_FALSE(lastFailure().isEmpty());
}

TEST_F(EditableTableFixture, RowsThatGoWithADeletedRowGoInItsTransaction)
{
    addRow(QStringLiteral("Anna"), 1, 7);
    const qint64 cleo = addRow(QStringLiteral("Cleo"), 3, 8);
    model.setMaster(QStringLiteral("team_id"), 8);
    model.select();
    model.setBeforeDelete([](db::Connection &, const QVariantList &) { throw KorventError(QStringLiteral("kept")); });
    EXPECT_FALSE(model.removeRows(0, 1));
    EXPECT_EQ(lastFailure(), QStringLiteral("kept"));
    EXPECT_EQ(model.rowCount(), 1);
    QVariantList deleted;
    model.setBeforeDelete([&deleted](db::Connection &connection, const QVariantList &ids) {
        deleted = ids;
        connection.exec(QStringLiteral("DELETE FROM runner WHERE team_id=7"));
    });
    EXPECT_TRUE(model.removeRows(0, 1));
    EXPECT_EQ(deleted, QVariantList{cleo});
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(other.scalar(QStringLiteral("SELECT COUNT(*) FROM runner")).toInt(), 0);
}

TEST_F(EditableTableFixture, FilterByOneFieldWithBoundValues)
{
    addRow(QStringLiteral("O'Brien"), 1);
    addRow(QStringLiteral("Smith"), 2);
    addRow(QStringLiteral("O'BRIEN"), 2);
    model.setFilter(QStringLiteral("name"), QStringLiteral("o'brien"));
    model.select();
    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.value(0, QStringLiteral("name")).toString(), QStringLiteral("O'Brien"));
    model.setFilter(QStringLiteral("number"), 2);
    model.select();
    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.value(0, QStringLiteral("name")).toString(), QStringLiteral("Smith"));
    model.setFilter({}, {});
    model.select();
    EXPECT_EQ(model.rowCount(), 3);
    // With a master row both narrow the rows.
    model.setFilter(QStringLiteral("number"), 2);
    model.setMaster(QStringLiteral("team_id"), 2);
    model.select();
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_THROW(model.setFilter(QStringLiteral("nosuchfield"), 1), KorventError);
}

TEST_F(EditableTableFixture, TextFiltersIgnoreLetterCaseInEveryAlphabetAndWildcards)
{
    addRow(QStringLiteral("Mägi"), 1);
    addRow(QStringLiteral("MÄGI"), 2);
    addRow(QStringLiteral("M*gi"), 3);
    addRow(QStringLiteral("Mag"), 4);
    const struct { const char *text; int rows; } cases[] = {{"mäGi", 2}, {"m*gi", 1}, {"m?gi", 0}, {"ma%", 0}, {"m[aä]g", 0}, {"mag", 1}};
    for (const auto &c : cases) {
        model.setFilter(QStringLiteral("name"), QString::fromUtf8(c.text));
        model.select();
        EXPECT_EQ(model.rowCount(), c.rows) << c.text;
    }
}

TEST_F(EditableTableFixture, NewRowsStartWithTheirValuesAndTitlesAndRowsCanBeReadAgain)
{
    model.setMaster(QStringLiteral("team_id"), 7);
    model.setNewRowValues({{QStringLiteral("number"), 2}, {QStringLiteral("note"), QStringLiteral("by hand")}});
    model.setColumnTitle(QStringLiteral("started"), QStringLiteral("ST."));
    EXPECT_EQ(model.headerData(model.columnOf(QStringLiteral("started")), Qt::Horizontal).toString(), QStringLiteral("ST."));
    EXPECT_EQ(model.headerData(model.columnOf(QStringLiteral("name")), Qt::Horizontal).toString(), QStringLiteral("Name"));
    EXPECT_THROW(model.setNewRowValues({{QStringLiteral("nosuchfield"), 1}}), KorventError);
    model.select();
    ASSERT_TRUE(model.insertRows(0, 1));
    EXPECT_EQ(model.data(cell(0, "number")).toInt(), 2);
    // A typed value wins over the value the row started with.
    ASSERT_TRUE(model.setData(cell(0, "note"), QStringLiteral("typed")));
    const qint64 id = model.rowId(0);
    EXPECT_EQ(stored(id, "team_id").toInt(), 7);
    EXPECT_EQ(stored(id, "number").toInt(), 2);
    EXPECT_EQ(stored(id, "note").toString(), QStringLiteral("typed"));

    other.exec(QStringLiteral("UPDATE runner SET name='Changed' WHERE id=?"), {id});
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    model.refreshRow(0);
    EXPECT_EQ(model.value(0, QStringLiteral("name")).toString(), QStringLiteral("Changed"));
    EXPECT_EQ(changed.size(), 1);
    other.exec(QStringLiteral("DELETE FROM runner WHERE id=?"), {id});
    model.refreshRow(0);
    EXPECT_EQ(model.value(0, QStringLiteral("name")).toString(), QStringLiteral("Changed"));
}

TEST_F(EditableTableFixture, DatesAreEditedInTheComputersFormatsAndStoredAsBefore)
{
    const QString dateTimeFormat = Platform::shortDateFormat() + u' ' + Platform::longTimeFormat();
    const auto regional = [&](const QString &field, const QVariant &stored) {
        if (stored.isNull())
            return QString();
        if (field == QLatin1String("born"))
            return QLocale::system().toString(QDate::fromString(stored.toString(), Qt::ISODate), Platform::shortDateFormat());
        if (field == QLatin1String("seen"))
            return QLocale::system().toString(QDateTime::fromString(stored.toString(), Qt::ISODateWithMs), dateTimeFormat);
        return stored.toString();
    };
    const qint64 anna = addRow(QStringLiteral("Anna"), 1);
    other.exec(QStringLiteral("UPDATE runner SET born='1980-05-07', seen='2026-06-13 10:25:00.500' WHERE id=?"), {anna});
    const QDate born(1980, 5, 7);
    const QDateTime seen(QDate(2026, 6, 13), QTime(10, 25));

    // Without a display text a date is edited as stored.
    model.select();
    EXPECT_EQ(model.data(cell(0, "born"), Qt::EditRole).toString(), QStringLiteral("1980-05-07"));

    model.setDisplayText(regional);
    model.select();
    const QString bornText = QLocale::system().toString(born, Platform::shortDateFormat());
    const QString seenText = QLocale::system().toString(seen, dateTimeFormat);
    EXPECT_EQ(model.data(cell(0, "born"), Qt::EditRole).toString(), bornText);
    EXPECT_EQ(model.data(cell(0, "seen"), Qt::EditRole).toString(), seenText);
    // The editor's text handed back unchanged keeps what the shown form leaves out.
    EXPECT_TRUE(model.setData(cell(0, "seen"), seenText));
    EXPECT_EQ(stored(anna, "seen").toString(), QStringLiteral("2026-06-13 10:25:00.500"));

    // Typed in the shown form or as stored, kept as stored.
    const struct { const char *field; QString typed; const char *stored; } cases[] = {
        {"born", QLocale::system().toString(QDate(1981, 12, 24), Platform::shortDateFormat()), "1981-12-24"},
        {"born", QStringLiteral("1982-1-2"), "1982-01-02"},
        // As entry files write it, whatever the computer's format.
        {"born", QStringLiteral("19.01.1996"), "1996-01-19"},
        {"seen", QLocale::system().toString(QDateTime(QDate(2026, 6, 14), QTime(9, 5, 7)), dateTimeFormat), "2026-06-14 09:05:07"},
        {"seen", QStringLiteral("2026-06-15 11:00"), "2026-06-15 11:00:00"},
        {"seen", bornText + QStringLiteral(" 8:30"), "1980-05-07 08:30:00"},
    };
    for (const auto &c : cases) {
        EXPECT_TRUE(model.setData(cell(0, c.field), c.typed)) << c.typed.toStdString() << ": " << lastFailure().toStdString();
        EXPECT_EQ(stored(anna, c.field).toString(), QLatin1String(c.stored)) << c.typed.toStdString();
    }

    // A refusal names the forms taken.
    EXPECT_FALSE(model.setData(cell(0, "born"), QStringLiteral("soon")));
    EXPECT_TRUE(lastFailure().contains(Platform::shortDateFormat())) << lastFailure().toStdString();
    EXPECT_TRUE(lastFailure().contains(QLatin1String("D.M.YYYY"))) << lastFailure().toStdString();
    EXPECT_FALSE(model.setData(cell(0, "seen"), bornText));
    EXPECT_TRUE(lastFailure().contains(dateTimeFormat)) << lastFailure().toStdString();
    EXPECT_EQ(stored(anna, "seen").toString(), QStringLiteral("1980-05-07 08:30:00"));
}
