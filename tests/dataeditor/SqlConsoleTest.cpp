#include "TestFolder.h"
#include "EventRows.h"

#include "base/KorventError.h"
#include "base/XmlDocument.h"
#include "dataeditor/SqlConsole.h"
#include "store/uData.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

struct SqlConsoleFixture : ::testing::Test
{
    QTemporaryDir dir;
    TdmData data{folderOf(dir)};

    void SetUp() override
    {
        insertRow(data, QStringLiteral("team"), {{"number", 1}, {"name", "A & B <1>"}, {"rtime", 3600}});
        insertRow(data, QStringLiteral("team"), {{"number", 2}, {"name", "Foxes"}});
    }
    db::SqlOutcome run(const QString &sql)
    {
        return db::RunSqlScript(data.connection(), sql, {}, db::SqlAccess::MayChange);
    }
};

} // namespace

TEST(SqlConsole, AsksWhenDeleteInsertOrUpdateStandsAnywhere)
{
    const struct { const char *text; bool asks; } cases[] = {
        {"SELECT * FROM team", false},
        {"  update team SET name='x'", true},
        {"SELECT * FROM team WHERE name = 'Updated'", true},
        {"SELECT 'insert'", true},
        {"-- deleted\nSELECT 1", true},
        {"SELECT created FROM team", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(AsksBeforeChange(QString::fromUtf8(c.text)), c.asks) << c.text;
}

TEST(SqlConsole, LogTextsOfARun)
{
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\[\\d{1,2}:\\d{1,2}:\\d{1,2}:\\d{1,2}\\] SELECT 1$")).match(LogLine(QStringLiteral("SELECT 1"))).hasMatch());
    EXPECT_EQ(ElapsedText(3'723'004), QStringLiteral("2:3:4"));
    EXPECT_EQ(ElapsedText(15), QStringLiteral("0:0:15"));
    EXPECT_EQ(RowsAffectedText(5), QStringLiteral(" 5 rows affected."));

    db::SqlOutcome query;
    query.returnsRows = true;
    query.rows.resize(3);
    EXPECT_EQ(RunLogTexts(query, 65'020), QStringList({"3", "Ok.>>1:5:20"}));
    db::SqlOutcome update;
    update.rowsAffected = 5;
    EXPECT_EQ(RunLogTexts(update, 10), QStringList({"Ok.", " 5 rows affected."}));
    query.rowsAffected = 0;
    EXPECT_EQ(RunLogTexts(query, 0), QStringList({"3", "Ok.>>0:0:0", " 0 rows affected."}));
}

TEST(SqlConsole, HistoryIsPlainTextWithCrLfAndComesBackAsItWas)
{
    QTemporaryDir dir;
    const QString file = SqlHistoryFileName(folderOf(dir));
    EXPECT_EQ(file, folderOf(dir) + QStringLiteral("sqlhistory.sql"));
    EXPECT_EQ(LoadSqlText(file), QString());
    const QString text = QStringLiteral("SELECT *\nFROM team\n\nWHERE 1");
    SaveSqlText(file, text);
    EXPECT_EQ(readFile(file), QByteArray("SELECT *\r\nFROM team\r\n\r\nWHERE 1\r\n"));
    EXPECT_EQ(LoadSqlText(file), text);
    // A folder of that name is no text to load, and says so.
    EXPECT_THROW(LoadSqlText(folderOf(dir)), KorventError);
}

TEST_F(SqlConsoleFixture, TextFileHasTheNamesThenTheRowsEachValueFollowedBySemicolon)
{
    const QString file = folderOf(dir) + QStringLiteral("out.txt");
    SaveResultAsText(file, run(QStringLiteral("SELECT number, name, rtime FROM team ORDER BY number")));
    EXPECT_EQ(readFile(file), QByteArray("number;name;rtime;\r\n1;A & B <1>;3600;\r\n2;Foxes;;\r\n"));

    // A value or name that holds the separator, a quote or a line break is quoted
    // as spreadsheets read it, so that it cannot pass for more fields or rows.
    data.connection().exec(QStringLiteral("UPDATE team SET name=?, teamNote=? WHERE number=2"),
                           {QStringLiteral("Fox; \"Red\""), QStringLiteral("first\r\nsecond")});
    SaveResultAsText(file, run(QStringLiteral("SELECT number AS \"no;\", name, teamNote FROM team WHERE number=2")));
    EXPECT_EQ(readFile(file), QByteArray("\"no;\";name;teamNote;\r\n2;\"Fox; \"\"Red\"\"\";\"first\r\nsecond\";\r\n"));
}

TEST_F(SqlConsoleFixture, XmlHasARecordPerRowAndValuesReadBackUnchanged)
{
    const db::SqlOutcome outcome = run(QStringLiteral("SELECT number, name, rtime FROM team ORDER BY number"));
    const QByteArray xml = ResultXml(outcome);
    EXPECT_EQ(xml, QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                              "<sql_results>\r\n"
                              "<record>\r\n"
                              "<number>1</number><name>A &amp; B &lt;1&gt;</name><rtime>3600</rtime>\r\n"
                              "</record>\r\n"
                              "<record>\r\n"
                              "<number>2</number><name>Foxes</name><rtime></rtime>\r\n"
                              "</record>\r\n"
                              "</sql_results>\r\n"));
    XmlDocument reread;
    reread.loadBytes(xml, QStringLiteral("result"));
    const QList<XmlElement> records = reread.documentElement().children();
    ASSERT_EQ(records.size(), 2);
    EXPECT_EQ(records[0].child(QStringLiteral("name")).text(), QStringLiteral("A & B <1>"));

    // A line break inside a value comes back as it was.
    const QString note = QStringLiteral("first\r\nsecond\nthird");
    data.connection().exec(QStringLiteral("UPDATE team SET teamNote=? WHERE number=2"), {note});
    reread.loadBytes(ResultXml(run(QStringLiteral("SELECT teamNote FROM team WHERE number=2"))), QStringLiteral("note"));
    EXPECT_EQ(reread.documentElement().child(QStringLiteral("record")).child(QStringLiteral("teamNote")).text(), note);
}

TEST_F(SqlConsoleFixture, XmlRefusesAColumnNameThatCannotBeAnElement)
{
    for (const char *name : {"count(*)", "a:b"}) {
        try {
            ResultXml(run(QStringLiteral("SELECT count(*) AS \"%1\" FROM team").arg(QLatin1String(name))));
            ADD_FAILURE() << name;
        } catch (const KorventError &error) {
            EXPECT_EQ(error.message(), QStringLiteral("\"%1\" cannot be the name of an XML element").arg(QLatin1String(name)));
        }
    }
    EXPECT_NO_THROW(ResultXml(run(QStringLiteral("SELECT count(*) AS teams FROM team"))));
}

TEST_F(SqlConsoleFixture, PrintLinesPadEveryColumnToItsDisplayWidthAndOne)
{
    const db::SqlOutcome outcome = run(QStringLiteral("SELECT number, country, 'x' || name AS label FROM team ORDER BY number"));
    EXPECT_EQ(ColumnDisplayWidth(outcome, 0), 10);
    EXPECT_EQ(ColumnDisplayWidth(outcome, 1), 3);
    EXPECT_EQ(ColumnDisplayWidth(outcome, 2), 10); // "xA & B <1>"
    EXPECT_EQ(ResultPrintLines(outcome).join(u'|').toStdString(), "number     counlabel      |1              xA & B <1> |2              xFoxes     ");
}

TEST_F(SqlConsoleFixture, LargeIntegerFieldsAndLiveRows)
{
    const db::SqlOutcome outcome = run(QStringLiteral("SELECT id, rtime, number, name FROM team ORDER BY number DESC"));
    EXPECT_TRUE(IsLargeIntegerColumn(outcome.columns[1]));
    EXPECT_FALSE(IsLargeIntegerColumn(outcome.columns[2]));
    const std::optional<LiveRows> live = LiveRowsOf(outcome);
    ASSERT_TRUE(live);
    EXPECT_EQ(live->table, QStringLiteral("team"));
    EXPECT_EQ(live->fields, QStringList({"id", "rtime", "number", "name"}));
    EXPECT_EQ(live->keys, std::vector<qint64>({2, 1}));

    for (const char *sql : {"SELECT name FROM team", "SELECT t.id, r.firstname FROM team t LEFT JOIN runner r ON r.team_id = t.id",
                            "SELECT id, name || '' FROM team", "UPDATE team SET name = name"})
        EXPECT_FALSE(LiveRowsOf(run(QLatin1String(sql)))) << sql;
}
