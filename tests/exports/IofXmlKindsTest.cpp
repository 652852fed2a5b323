#include "IofExportFixture.h"

#include "base/KorventError.h"

#include <algorithm>

namespace {

struct IofXmlKinds : IofExportFixture
{
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
