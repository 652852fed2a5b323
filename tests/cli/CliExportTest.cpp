#include "TestFolder.h"
#include "cli/CliRun.h"
#include "exports/CompressedData.h"
#include "exports/IofSchema.h"

#include "db/Connection.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {

struct CliExport : ::testing::Test
{
    QTemporaryDir program;

    void SetUp() override
    {
        QDir().mkpath(folderOf(program) + QStringLiteral("event"));
        ASSERT_EQ(run({"generate", "--teams", "4"}).exitCode, 0);
        {
            // The lists hold the classes below the main classes: the teams move there.
            db::Connection connection(folderOf(program) + QStringLiteral("event/rogain.abs"));
            connection.exec(QStringLiteral("UPDATE team SET class=class || 'V'"));
        }
        ASSERT_EQ(run({"calculate", "--all"}).exitCode, 0);
    }
    CliRun run(const QStringList &arguments)
    {
        return runCliIn(program.path(), QStringList({"--event", "event"}) + arguments);
    }
    QByteArray file(const QString &name) { return readFile(folderOf(program) + QStringLiteral("event/") + name); }
};

} // namespace

TEST_F(CliExport, Iof3WithItsCompressedCopyInTheEventFolder)
{
    const CliRun export3 = run({"export", "iof3", "--compress"});
    ASSERT_EQ(export3.exitCode, 0) << export3.err.toStdString();
    EXPECT_EQ(export3.out, QStringLiteral("event/Rogain_iofXML3.xml\nevent/temp.zlb\nevent/Rogain_iofXML3.xmlzip.xml\n"));
    const QByteArray xml = file(QStringLiteral("Rogain_iofXML3.xml"));
    EXPECT_TRUE(xml.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ResultList xmlns=\"http://www.orienteering.org/datastandard/3.0\""));
    EXPECT_TRUE(xml.contains("<SplitTime")) << "the generated event has punches";
    EXPECT_EQ(decodeCompressedData(file(QStringLiteral("Rogain_iofXML3.xmlzip.xml"))), xml);
    EXPECT_EQ(inflateZlib(file(QStringLiteral("temp.zlb"))), xml);
    if (iofSchemaUnavailable().isEmpty()) {
        const std::optional<QString> errors = iofSchemaErrors(xml);
        EXPECT_FALSE(errors.has_value()) << errors.value_or(QString()).toStdString();
    }
}

TEST_F(CliExport, Iof2WithoutCompressionWritesOneFile)
{
    const CliRun export2 = run({"export", "iof2"});
    ASSERT_EQ(export2.exitCode, 0) << export2.err.toStdString();
    EXPECT_EQ(export2.out, QStringLiteral("event/iofXML.xml\n"));
    EXPECT_TRUE(file(QStringLiteral("iofXML.xml")).startsWith("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<ResultList status=\"complete\""));
    EXPECT_FALSE(QFile::exists(folderOf(program) + QStringLiteral("event/iofXMLzip.xml")));
}

TEST_F(CliExport, RefusesWhatItCannotDo)
{
    struct Refusal
    {
        QStringList arguments;
        const char *message;
    };
    const Refusal refusals[] = {
        {{"iof3", "--class", "H12"}, "iof3 takes no --class"},
        {{"iof2", "--zip"}, "Unknown export option \"--zip\""},
        {{"nothing"}, "Unknown export \"nothing\"; the exports are participants, cardex, trailplot, iof3, iof2, teaminfo, teams-runners"},
        {{}, "export needs a kind: participants, cardex, trailplot, iof3, iof2, teaminfo, teams-runners"},
        {{"iof3", "results.xml"}, "iof3 takes no file name, got \"results.xml\""},
        {{"startlist"}, "Unknown export \"startlist\""},
    };
    for (const Refusal &refusal : refusals) {
        const CliRun refused = run(QStringList({"export"}) + refusal.arguments);
        EXPECT_EQ(refused.exitCode, 1) << refusal.message;
        EXPECT_TRUE(refused.err.contains(QString::fromUtf8(refusal.message))) << refused.err.toStdString();
        EXPECT_TRUE(refused.out.isEmpty()) << refusal.message;
    }
    EXPECT_FALSE(QFile::exists(folderOf(program) + QStringLiteral("event/iofXML.xml")));
}

TEST_F(CliExport, AFailingStepEndsWithTheErrorAndKeepsWhatWasBuilt)
{
    {
        // A runner table without the columns the export reads.
        db::Connection connection(folderOf(program) + QStringLiteral("event/rogain.abs"));
        connection.exec(QStringLiteral("DROP TABLE runner"));
        connection.exec(QStringLiteral("CREATE TABLE runner (id INTEGER PRIMARY KEY, team_id INTEGER)"));
    }
    const CliRun failed = run({"export", "iof2", "--compress"});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_TRUE(failed.err.contains(QStringLiteral("korvent-cli: "))) << failed.err.toStdString();
    EXPECT_TRUE(failed.out.isEmpty());
    const QByteArray xml = file(QStringLiteral("iofXML.xml"));
    EXPECT_TRUE(xml.contains("<TeamName>")) << xml.toStdString();
    EXPECT_FALSE(xml.contains("<Result>"));
    EXPECT_EQ(decodeCompressedData(file(QStringLiteral("iofXMLzip.xml"))), xml);
}
