#include "TestFolder.h"
#include "XlsxReader.h"

#include "base/KorventError.h"
#include "dataeditor/SpreadsheetExport.h"
#include "store/uData.h"

#include <gtest/gtest.h>

namespace {

struct SpreadsheetFixture : ::testing::Test
{
    QTemporaryDir dir;
    TdmData data{folderOf(dir)};
    QString file = folderOf(dir) + QStringLiteral("out.xlsx");

    void addTeams(int count)
    {
        db::Transaction transaction(data.connection());
        for (int n = 1; n <= count; ++n)
            data.connection().exec(QStringLiteral("INSERT INTO team (number, name, entrydate, rtime) VALUES (?, ?, ?, ?)"),
                                   {n, n == 1 ? QStringLiteral("007") : QStringLiteral("Team %1").arg(n),
                                    n == 2 ? QVariant() : QVariant(QStringLiteral("2026-06-13 10:20:30")), n * 60});
        transaction.commit();
    }
    db::SqlOutcome rows(const char *sql)
    {
        return db::RunSqlScript(data.connection(), QLatin1String(sql), {}, db::SqlAccess::ReadOnly);
    }
};

} // namespace

TEST(SpreadsheetExport, RecordLimitOfTheChoice)
{
    EXPECT_EQ(RecordLimitChoices(), QStringList({"All", "100", "200", "500", "1000", "5000"}));
    EXPECT_EQ(RecordLimit(QStringLiteral("All")), AllRecords);
    EXPECT_EQ(RecordLimit(QStringLiteral(" all ")), AllRecords);
    EXPECT_EQ(RecordLimit(QStringLiteral("100")), 100);
    EXPECT_EQ(RecordLimit(QStringLiteral(" 250 ")), 250);
    EXPECT_FALSE(RecordLimit(QStringLiteral("ten")));
    EXPECT_FALSE(RecordLimit(QStringLiteral("")));
    EXPECT_EQ(RecordsExportedText(200), QStringLiteral(" Records exported : 200"));
    EXPECT_EQ(ExportDoneText(7), QStringLiteral(" Successfully exported 7 records to Excel"));
}

TEST_F(SpreadsheetFixture, LimitOfAHundredWritesSheetRowsTwoToHundredAndOne)
{
    addTeams(150);
    QList<qint64> told;
    const qint64 written = WriteSpreadsheet(file, rows("SELECT number, name FROM team ORDER BY number"), {true, true},
                                            *RecordLimit(QStringLiteral("100")), [&](qint64 count) { told.append(count); });
    EXPECT_EQ(written, 100);
    EXPECT_EQ(told, QList<qint64>({100}));
    const XlsxReader book(file);
    ASSERT_TRUE(book.isValid());
    QList<int> expected;
    for (int r = 1; r <= 101; ++r)
        expected.append(r);
    EXPECT_EQ(book.rows(), expected);
    const auto cells = book.cells();
    EXPECT_EQ(cells.value(QStringLiteral("A101")).value, QStringLiteral("100"));
    EXPECT_FALSE(cells.contains(QStringLiteral("A102")));
}

TEST_F(SpreadsheetFixture, SheetHeaderWidthsFontsAndValues)
{
    addTeams(3);
    const db::SqlOutcome outcome = rows("SELECT number, name, entrydate, rtime, rtime / 40.0 AS ratio, club, rtime / 60 AS minutes "
                                        "FROM team ORDER BY number");
    EXPECT_EQ(WriteSpreadsheet(file, outcome, {true, true, true, false, true, true, true}, AllRecords, {}), 3);
    const XlsxReader book(file);
    ASSERT_TRUE(book.isValid());
    EXPECT_EQ(book.sheetNames(), QStringList({"AbsDb"}));
    const auto cells = book.cells();

    // Header: the chosen columns' names in bold Arial 10; dates and reals (an
    // expression's too) right-aligned.
    const struct { const char *cell; const char *name; const char *align; } headers[] = {
        {"A1", "number", ""}, {"B1", "name", ""}, {"C1", "entrydate", "right"}, {"D1", "ratio", "right"}, {"E1", "club", ""},
        {"F1", "minutes", ""},
    };
    for (const auto &h : headers) {
        const XlsxCell cell = cells.value(QLatin1String(h.cell));
        EXPECT_EQ(cell.value, QLatin1String(h.name)) << h.cell;
        const XlsxStyle style = book.style(cell.style);
        EXPECT_TRUE(style.bold) << h.cell;
        EXPECT_EQ(style.font, QStringLiteral("Arial"));
        EXPECT_EQ(style.size, QStringLiteral("10"));
        EXPECT_EQ(style.align, QLatin1String(h.align)) << h.cell;
    }
    EXPECT_FALSE(cells.contains(QStringLiteral("G1")));

    // Widths: display width + 2, at most 50 (the name holds 100 characters).
    const auto widths = book.columnWidths();
    EXPECT_EQ(std::floor(widths.value(1)), 12);
    EXPECT_EQ(std::floor(widths.value(2)), 50);
    EXPECT_EQ(std::floor(widths.value(3)), 21);
    EXPECT_EQ(std::floor(widths.value(5)), 32);

    // A text stays text even when it looks like a number; numbers are numbers.
    EXPECT_EQ(cells.value(QStringLiteral("B2")).type, QStringLiteral("s"));
    EXPECT_EQ(cells.value(QStringLiteral("B2")).value, QStringLiteral("007"));
    EXPECT_NE(cells.value(QStringLiteral("A2")).type, QStringLiteral("s"));
    EXPECT_EQ(cells.value(QStringLiteral("A2")).value, QStringLiteral("1"));
    EXPECT_EQ(cells.value(QStringLiteral("D3")).value, QStringLiteral("3"));
    EXPECT_EQ(book.style(cells.value(QStringLiteral("A2")).style).font, QStringLiteral("Arial"));
    // A date is a date shown month-day-year; an empty one is an empty cell.
    const XlsxCell date = cells.value(QStringLiteral("C2"));
    EXPECT_NE(date.type, QStringLiteral("s"));
    EXPECT_NEAR(date.value.toDouble(), 46186.43090, 1e-4); // 2026-06-13 10:20:30
    EXPECT_EQ(book.style(date.style).numberFormat, QStringLiteral("mm-dd-yyyy"));
    EXPECT_FALSE(cells.contains(QStringLiteral("C3")));
    EXPECT_FALSE(cells.contains(QStringLiteral("E2")));
}

TEST_F(SpreadsheetFixture, FailedExportLeavesTheFileAsItWas)
{
    addTeams(3);
    // A cell holds at most 32,767 characters.
    data.connection().exec(QStringLiteral("UPDATE team SET name=? WHERE number=3"), {QString(40'000, u'x')});
    writeFile(file, "the workbook of yesterday");
    try {
        WriteSpreadsheet(file, rows("SELECT number, name FROM team ORDER BY number"), {true, true}, AllRecords, {});
        FAIL();
    } catch (const KorventError &error) {
        EXPECT_TRUE(error.message().contains(QLatin1String("row 4, column \"name\""))) << error.message().toStdString();
    }
    EXPECT_EQ(readFile(file), QByteArray("the workbook of yesterday"));
    EXPECT_EQ(QDir(folderOf(dir)).entryList({QStringLiteral("*xlsx*")}, QDir::Files), QStringList({"out.xlsx"}));
}

TEST_F(SpreadsheetFixture, FileThatCannotBeWrittenIsNamed)
{
    addTeams(1);
    const QString target = folderOf(dir) + QStringLiteral("missing/out.xlsx");
    try {
        WriteSpreadsheet(target, rows("SELECT number FROM team"), {true}, AllRecords, {});
        FAIL();
    } catch (const KorventError &error) {
        EXPECT_TRUE(error.message().contains(target)) << error.message().toStdString();
    }
}
