#include "TestFolder.h"

#include "registry/ReportRegistry.h"
#include "store/EventLocation.h"
#include "store/EventSetup.h"
#include "base/KorventError.h"
#include "store/uData.h"

#include <QIODevice>
#include <gtest/gtest.h>

namespace {

QString refusal(const ReportKindEntry &kind, const ReportRequest &request)
{
    try {
        CheckReportRequest(kind, request);
    } catch (const KorventError &error) {
        return error.message();
    }
    return QString();
}

} // namespace

TEST(ReportRegistry, ReportsInTheChoosersOrderWithUniqueNames)
{
    QStringList captions, names, exports;
    for (const ReportKindEntry &entry : ReportRegistry()) {
        EXPECT_FALSE(names.contains(QLatin1String(entry.cliName))) << entry.cliName;
        names.append(QLatin1String(entry.cliName));
        EXPECT_EQ(&ReportKindOf(entry.kind), &entry);
        EXPECT_TRUE(entry.generate) << entry.cliName;
        EXPECT_EQ(FindReportKind(QLatin1String(entry.cliName), entry.family), &entry);
        // The route files are named after the map picture.
        if (entry.kind != ReportKind::Trailplot) {
            ASSERT_FALSE(entry.files.empty()) << entry.cliName;
        }
        if (entry.family != ReportFamily::Report) {
            exports.append(entry.captionText());
            continue;
        }
        captions.append(entry.captionText());
    }
    EXPECT_EQ(captions, QStringList({"Start list (Teams)", "Start list (with members)", "Check list", "Results - table", "Results - splits",
                                     "Results - web (!)", "Statistics", "Winners"}));
    // The exports in the order of the Tools menu.
    EXPECT_EQ(exports, QStringList({"Export participants", "Export Cardex startlist", "Export (Trailplot)", "Export (IOF XML)", "Export (IOF XML)",
                                    "Export TeamInfo", "Export teams with runners"}));
    EXPECT_EQ(ReportKindOf(ReportKind::TeamsRunners).options, ReportOptions(ReportOption::Encoding));
    EXPECT_EQ(ReportKindOf(ReportKind::Cardex).files, std::vector<ReportFile>({{ReportFolder::Chosen, QString()}}));
    EXPECT_EQ(FindReportKind(QStringLiteral("startlist"), ReportFamily::Export), nullptr);
    EXPECT_EQ(FindReportKind(QStringLiteral("Startlist"), ReportFamily::Report), nullptr);

    const ReportKindEntry &winners = ReportKindOf(ReportKind::Winners);
    EXPECT_TRUE(winners.takes(ReportOption::Classes));
    EXPECT_FALSE(winners.takes(ReportOption::PerClass)); // always one page
    EXPECT_EQ(winners.files[1], (ReportFile{ReportFolder::Event, QStringLiteral("winners.csv")}));
    EXPECT_EQ(ReportKindOf(ReportKind::ResultsWeb).files.front().folder, ReportFolder::Web);
    EXPECT_EQ(ReportKindOf(ReportKind::StartListMembers).files.front(), (ReportFile{ReportFolder::Results, QStringLiteral("startlist.htm")}));
}

TEST(ReportRegistry, OptionsAKindDoesNotTakeAreRefusedByName)
{
    struct Case
    {
        ReportKind kind;
        void (*ask)(ReportRequest &);
        const char *message;
    };
    const Case cases[] = {
        {ReportKind::StartList, [](ReportRequest &r) { r.classes = {"H12"}; }, "startlist takes no --class"},
        {ReportKind::CheckList, [](ReportRequest &r) { r.perClass = true; }, "checklist takes no --per-class"},
        {ReportKind::Statistics, [](ReportRequest &r) { r.encoding = "UTF-8"; }, "statistics takes no --encoding"},
        {ReportKind::StartListMembers, [](ReportRequest &r) { r.compress = true; }, "startlist-members takes no --compress"},
        {ReportKind::ResultsTable, [](ReportRequest &r) { r.classes = {"H12"};
                                             r.perClass = true; },
         ""},
        {ReportKind::Winners, [](ReportRequest &r) { r.perClass = true; }, "winners takes no --per-class"},
        {ReportKind::StartList, [](ReportRequest &) {}, ""},
    };
    for (const Case &c : cases) {
        ReportRequest request;
        c.ask(request);
        EXPECT_EQ(refusal(ReportKindOf(c.kind), request), QString::fromUtf8(c.message)) << c.message;
    }
}

TEST(ReportRegistry, RunReportCommitsWhatEachKindWrote)
{
    QTemporaryDir dir;
    TdmData data(folderOf(dir));
    EventSetup setup;
    setup.settings.resultHeader = QStringLiteral("NON");
    EventLocation location;
    location.eventDirectory = folderOf(dir);
    for (const ReportKindEntry &entry : ReportRegistry()) {
        MemoryReportOutput output;
        ASSERT_TRUE(entry.generate) << entry.cliName;
        // Exports show no page; their files are tested with their generators.
        if (entry.family != ReportFamily::Report)
            continue;
        const std::optional<ReportFile> page = RunReport(entry, {data.connection(), setup, output, nullptr, location.eventDirectory, &location}, {});
        ASSERT_TRUE(page) << entry.cliName;
        EXPECT_EQ(*page, entry.files.front());
        // Every file the kind names, and no other.
        EXPECT_EQ(output.files(), QList<ReportFile>(entry.files.begin(), entry.files.end())) << entry.cliName;
        EXPECT_TRUE(output.bytes(*page).startsWith("\xEF\xBB\xBF"));
        EXPECT_TRUE(output.committed());
    }
}

TEST(ReportRegistry, AKindWritingAChosenFileNeedsItsName)
{
    const ReportKindEntry teamList{ReportKind::StartList, ReportFamily::Export, "Team list", "teamlist",
                                   {{ReportFolder::Chosen, QStringLiteral("teams.csv")}}, {},
                                   [](const ReportKindEntry &, const ReportContext &context, const ReportRequest &request) {
                                       const ReportFile file{ReportFolder::Chosen, request.target};
                                       context.output.create(file).write("1;Owls\r\n");
                                       return std::optional<ReportFile>(file);
                                   }};
    EXPECT_EQ(refusal(teamList, {}), QStringLiteral("teamlist needs the name of the file to write"));
    QTemporaryDir dir;
    TdmData data(folderOf(dir));
    EventSetup setup;
    MemoryReportOutput output;
    const ReportFile written{ReportFolder::Chosen, folderOf(dir) + QStringLiteral("teams.csv")};
    ReportRequest request;
    request.target = written.name;
    EXPECT_EQ(RunReport(teamList, {data.connection(), setup, output}, request), written);
    EXPECT_EQ(output.bytes(written), QByteArray("1;Owls\r\n"));
}
