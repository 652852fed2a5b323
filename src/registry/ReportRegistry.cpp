#include "registry/ReportRegistry.h"

#include "reports/ResultsReport.h"
#include "reports/StartReports.h"

#include "exports/IofExport.h"
#include "exports/ListExports.h"
#include "exports/TrailplotExport.h"

#include "base/KorventError.h"
#include "base/WorkProgress.h"

#include <QCoreApplication>
#include <algorithm>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(Reports)
};

std::optional<ReportFile> startList(const ReportKindEntry &kind, const ReportContext &context, const ReportRequest &)
{
    return StartListReport(context, kind.files.front(), kind.kind == ReportKind::StartListMembers);
}

std::optional<ReportFile> checkList(const ReportKindEntry &kind, const ReportContext &context, const ReportRequest &)
{
    return CheckListReport(context, kind.files.front());
}

std::optional<ReportFile> statistics(const ReportKindEntry &kind, const ReportContext &context, const ReportRequest &)
{
    return ControlStatisticsReport(context, kind.files.front());
}

std::optional<ReportFile> iofXml(const ReportKindEntry &kind, const ReportContext &context, const ReportRequest &request)
{
    if (kind.kind == ReportKind::IofXml3)
        ExportIofXml3(context, request.compress);
    else
        ExportIofXml2(context, request.compress);
    return std::nullopt;
}

ReportFile chosenFile(const ReportRequest &request)
{
    return {ReportFolder::Chosen, request.target};
}

std::optional<ReportFile> participants(const ReportKindEntry &, const ReportContext &context, const ReportRequest &request)
{
    ExportParticipantsCsv(context, chosenFile(request), request.encoding);
    return std::nullopt;
}

std::optional<ReportFile> cardex(const ReportKindEntry &, const ReportContext &context, const ReportRequest &request)
{
    ExportCardexStartList(context, chosenFile(request), request.encoding);
    return std::nullopt;
}

std::optional<ReportFile> teamInfo(const ReportKindEntry &, const ReportContext &context, const ReportRequest &request)
{
    ExportTeamInfoText(context, chosenFile(request), request.encoding);
    return std::nullopt;
}

std::optional<ReportFile> teamsRunners(const ReportKindEntry &, const ReportContext &context, const ReportRequest &request)
{
    ExportTeamsWithRunners(context, chosenFile(request), request.encoding);
    return std::nullopt;
}

std::optional<ReportFile> trailplot(const ReportKindEntry &, const ReportContext &context, const ReportRequest &)
{
    ExportTrailplotRoute(context);
    return std::nullopt;
}

std::optional<ReportFile> results(const ReportKindEntry &kind, const ReportContext &context, const ReportRequest &request)
{
    switch (kind.kind) {
    case ReportKind::ResultsSplits:
        return ResultsReport(context, ResultsVariant::Splits, request);
    case ReportKind::ResultsWeb:
        return ResultsReport(context, ResultsVariant::Web, request);
    case ReportKind::Winners:
        return ResultsReport(context, ResultsVariant::Winners, request);
    default:
        return ResultsReport(context, ResultsVariant::Table, request);
    }
}

constexpr ReportOption allOptions[] = {ReportOption::Classes, ReportOption::PerClass, ReportOption::Encoding, ReportOption::Compress};

bool isSet(ReportOption option, const ReportRequest &request)
{
    switch (option) {
    case ReportOption::Classes:
        return !request.classes.isEmpty();
    case ReportOption::PerClass:
        return request.perClass;
    case ReportOption::Encoding:
        return !request.encoding.isEmpty();
    case ReportOption::Compress:
        return request.compress;
    }
    return false;
}

} // namespace

QString ReportKindEntry::captionText() const
{
    return QCoreApplication::translate("Reports", caption);
}

const std::vector<ReportKindEntry> &ReportRegistry()
{
    using enum ReportFolder;
    const ReportOptions resultsOptions = ReportOption::Classes | ReportOption::PerClass;
    static const std::vector<ReportKindEntry> entries = {
        {ReportKind::StartList, ReportFamily::Report, QT_TRANSLATE_NOOP("Reports", "Start list (Teams)"), "startlist",
         {{Results, QStringLiteral("startlist.htm")}}, {}, startList},
        {ReportKind::StartListMembers, ReportFamily::Report, QT_TRANSLATE_NOOP("Reports", "Start list (with members)"), "startlist-members",
         {{Results, QStringLiteral("startlist.htm")}}, {}, startList},
        {ReportKind::CheckList, ReportFamily::Report, QT_TRANSLATE_NOOP("Reports", "Check list"), "checklist",
         {{Results, QStringLiteral("checklist.htm")}}, {}, checkList},
        {ReportKind::ResultsTable, ReportFamily::Report, QT_TRANSLATE_NOOP("Reports", "Results - table"), "results-table",
         {{Results, QStringLiteral("results.htm")}}, resultsOptions, results},
        {ReportKind::ResultsSplits, ReportFamily::Report, QT_TRANSLATE_NOOP("Reports", "Results - splits"), "results-splits",
         {{Results, QStringLiteral("results.htm")}, {Results, QStringLiteral("teamsControlSameTime.txt")},
          {Results, QStringLiteral("CheckTeams_Together.txt")}},
         resultsOptions, results},
        {ReportKind::ResultsWeb, ReportFamily::Report, QT_TRANSLATE_NOOP("Reports", "Results - web (!)"), "results-web",
         {{Web, QStringLiteral("results.htm")}}, resultsOptions, results},
        {ReportKind::Statistics, ReportFamily::Report, QT_TRANSLATE_NOOP("Reports", "Statistics"), "statistics",
         {{Results, QStringLiteral("stat_controls.htm")}}, {}, statistics},
        {ReportKind::Winners, ReportFamily::Report, QT_TRANSLATE_NOOP("Reports", "Winners"), "winners",
         {{Results, QStringLiteral("results.htm")}, {Event, QStringLiteral("winners.csv")}}, ReportOption::Classes, results,
         QT_TRANSLATE_NOOP("Reports", "Winners list in winners.csv file")},
        {ReportKind::Participants, ReportFamily::Export, QT_TRANSLATE_NOOP("Reports", "Export participants"), "participants",
         {{Chosen, QString()}}, ReportOption::Encoding, participants},
        {ReportKind::Cardex, ReportFamily::Export, QT_TRANSLATE_NOOP("Reports", "Export Cardex startlist"), "cardex",
         {{Chosen, QString()}}, ReportOption::Encoding, cardex},
        // Both files are named after the map picture: .rada (points) and .txt (routes).
        {ReportKind::Trailplot, ReportFamily::Export, QT_TRANSLATE_NOOP("Reports", "Export (Trailplot)"), "trailplot",
         {}, {}, trailplot},
        // One command for both versions: the event setting cbXML3Format chooses.
        {ReportKind::IofXml3, ReportFamily::Export, QT_TRANSLATE_NOOP("Reports", "Export (IOF XML)"), "iof3",
         {{Event, IofExportFiles::xml3}, {Event, IofExportFiles::xml3Compressed}, {Event, IofExportFiles::work}}, ReportOption::Compress, iofXml},
        {ReportKind::IofXml2, ReportFamily::Export, QT_TRANSLATE_NOOP("Reports", "Export (IOF XML)"), "iof2",
         {{Event, IofExportFiles::xml2}, {Event, IofExportFiles::xml2Compressed}, {Event, IofExportFiles::work}}, ReportOption::Compress, iofXml},
        {ReportKind::TeamInfo, ReportFamily::Export, QT_TRANSLATE_NOOP("Reports", "Export TeamInfo"), "teaminfo",
         {{Chosen, QString()}}, ReportOption::Encoding, teamInfo},
        {ReportKind::TeamsRunners, ReportFamily::Export, QT_TRANSLATE_NOOP("Reports", "Export teams with runners"), "teams-runners",
         {{Chosen, QString()}}, ReportOption::Encoding, teamsRunners},
    };
    return entries;
}

const ReportKindEntry &ReportKindOf(ReportKind kind)
{
    const auto &entries = ReportRegistry();
    return *std::find_if(entries.begin(), entries.end(), [kind](const ReportKindEntry &entry) { return entry.kind == kind; });
}

const ReportKindEntry *FindReportKind(const QString &cliName, ReportFamily family)
{
    for (const ReportKindEntry &entry : ReportRegistry())
        if (entry.family == family && cliName == QLatin1String(entry.cliName))
            return &entry;
    return nullptr;
}

QString ReportOptionName(ReportOption option)
{
    switch (option) {
    case ReportOption::Classes:
        return QStringLiteral("--class");
    case ReportOption::PerClass:
        return QStringLiteral("--per-class");
    case ReportOption::Encoding:
        return QStringLiteral("--encoding");
    case ReportOption::Compress:
        return QStringLiteral("--compress");
    }
    return QString();
}

void CheckReportRequest(const ReportKindEntry &kind, const ReportRequest &request)
{
    const QString name = QLatin1String(kind.cliName);
    for (const ReportOption option : allOptions)
        if (isSet(option, request) && !kind.takes(option))
            throw KorventError(Texts::tr("%1 takes no %2").arg(name, ReportOptionName(option)));
    const bool writesChosenFile = std::any_of(kind.files.begin(), kind.files.end(),
                                              [](const ReportFile &file) { return file.folder == ReportFolder::Chosen; });
    if (writesChosenFile && request.target.isEmpty())
        throw KorventError(Texts::tr("%1 needs the name of the file to write").arg(name));
}

std::optional<ReportFile> RunReport(const ReportKindEntry &kind, const ReportContext &context, const ReportRequest &request)
{
    CheckReportRequest(kind, request);
    const std::optional<ReportFile> page = kind.generate(kind, context, request);
    context.workProgress().stopIfCancelled();
    context.output.commit();
    return page;
}
