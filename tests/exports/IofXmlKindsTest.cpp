#include "CompressedData.h"
#include "IofExportFixture.h"

#include "base/KorventError.h"
#include "registry/ReportRegistry.h"

#include <algorithm>

namespace {

struct IofXmlKinds : IofExportFixture
{
};

// What differs between the two versions for the steps they share.
struct IofVersion
{
    const char *name;
    void (*exportTo)(const ReportContext &context, bool compress);
    QString plain;
    QString compressed;
    QStringList files;
    // The first TeamResult's children when the runners cannot be read.
    QStringList builtBeforeTheRunners;
};

// Test names show the version, not the bytes of the case.
void PrintTo(const IofVersion &version, std::ostream *out)
{
    *out << version.name;
}

struct IofXmlVersions : IofExportFixture, ::testing::WithParamInterface<IofVersion>
{
    XmlElement firstTeamResult(const XmlElement &root) const
    {
        return root.child(QStringLiteral("ClassResult")).child(QStringLiteral("TeamResult"));
    }
};

} // namespace

TEST_F(IofXmlKinds, BothVersionsAreExportsTakingCompress)
{
    struct Case
    {
        const char *name;
        ReportKind kind;
        QStringList files;
    };
    const Case cases[] = {
        {"iof3", ReportKind::IofXml3, {"Rogain_iofXML3.xml", "Rogain_iofXML3.xmlzip.xml", "temp.zlb"}},
        {"iof2", ReportKind::IofXml2, {"iofXML.xml", "iofXMLzip.xml", "temp.zlb"}},
    };
    calculatedTeam(1);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const ReportKindEntry *entry = FindReportKind(QLatin1String(c.name), ReportFamily::Export);
        ASSERT_TRUE(entry);
        EXPECT_EQ(entry->kind, c.kind);
        EXPECT_EQ(FindReportKind(QLatin1String(c.name), ReportFamily::Report), nullptr);
        EXPECT_EQ(entry->captionText(), QStringLiteral("Export (IOF XML)"));
        EXPECT_EQ(entry->options, ReportOptions(ReportOption::Compress));
        QStringList files;
        for (const ReportFile &file : entry->files) {
            EXPECT_EQ(file.folder, ReportFolder::Event);
            files.append(file.name);
        }
        EXPECT_EQ(files, c.files);

        ReportRequest classes;
        classes.classes = QStringList({"H6A"});
        EXPECT_THROW(CheckReportRequest(*entry, classes), KorventError);

        MemoryReportOutput run;
        ReportRequest compress;
        compress.compress = true;
        EXPECT_EQ(RunReport(*entry, {data->connection(), setup, run, &messages}, compress), std::nullopt);
        EXPECT_TRUE(run.committed());
        QStringList written;
        for (const ReportFile &file : run.files())
            written.append(file.name);
        std::sort(written.begin(), written.end());
        EXPECT_EQ(written, c.files);
        if (c.kind == ReportKind::IofXml3)
            documentsToCheck.push_back(run.bytes(entry->files.front()));

        MemoryReportOutput plain;
        RunReport(*entry, {data->connection(), setup, plain, &messages}, {});
        ASSERT_EQ(plain.files().size(), 1);
        EXPECT_EQ(plain.files().first().name, c.files.first());
    }
}

TEST_P(IofXmlVersions, AFailingStepStillWritesWhatWasBuiltAndThenRaises)
{
    const qint64 id = calculatedTeam(1);
    member(id, QStringLiteral("A"), QStringLiteral("101"));
    data->connection().exec(QStringLiteral("DROP TABLE runner"));
    EXPECT_THROW(GetParam().exportTo(context(), true), KorventError);
    // Kept although the run failed: the files are committed before the error is raised.
    EXPECT_TRUE(output.committed());
    // The document up to the failing step, and its compressed copy.
    EXPECT_EQ(childNames(firstTeamResult(readBack(GetParam().plain))), GetParam().builtBeforeTheRunners);
    EXPECT_EQ(names(), GetParam().files);
    EXPECT_EQ(decodeCompressedData(bytes(GetParam().compressed)), bytes(GetParam().plain));
}

TEST_P(IofXmlVersions, TheCompressedCopyDecodesToThePlainFile)
{
    const qint64 id = calculatedTeam(1, QStringLiteral("H6A"), {{"name", "Łódź"}});
    member(id, QStringLiteral("A"), QStringLiteral("101"));
    GetParam().exportTo(context(), true);
    readBack(GetParam().plain);
    EXPECT_EQ(names(), GetParam().files);
    EXPECT_EQ(decodeCompressedData(bytes(GetParam().compressed)), bytes(GetParam().plain));
    EXPECT_EQ(inflateZlib(bytes(IofExportFiles::work)), bytes(GetParam().plain));
}

INSTANTIATE_TEST_SUITE_P(
    IofXml, IofXmlVersions,
    ::testing::Values(IofVersion{"Xml3", &ExportIofXml3, IofExportFiles::xml3, IofExportFiles::xml3Compressed,
                                 {"Rogain_iofXML3.xml", "Rogain_iofXML3.xmlzip.xml", "temp.zlb"}, {"Name", "BibNumber"}},
                      IofVersion{"Xml2", &ExportIofXml2, IofExportFiles::xml2, IofExportFiles::xml2Compressed,
                                 {"iofXML.xml", "iofXMLzip.xml", "temp.zlb"}, {"TeamName", "Country"}}),
    [](const ::testing::TestParamInfo<IofVersion> &info) { return std::string(info.param.name); });
