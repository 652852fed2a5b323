#include "reports/ReportCatalogue.h"

#include "reports/StartReports.h"

#include "base/KorventError.h"

#include <QCoreApplication>
#include <vector>

const std::vector<ReportCatalogueEntry> &ReportCatalogue()
{
    static const std::vector<ReportCatalogueEntry> entries = {
        {ReportKind::StartList, "Start list (Teams)", "startlist", true},
        {ReportKind::StartListMembers, "Start list (with members)", "startlist-members", true},
        {ReportKind::CheckList, "Check list", "checklist", true},
        {ReportKind::ResultsTable, "Results - table", "results-table", false},
        {ReportKind::ResultsSplits, "Results - splits", "results-splits", false},
        {ReportKind::ResultsWeb, "Results - web (!)", "results-web", false},
        {ReportKind::Statistics, "Statistics", "statistics", true},
        {ReportKind::Winners, "Winners", "winners", false},
    };
    return entries;
}

QString RunReport(ReportKind kind, const ReportContext &context, const QStringList &, bool)
{
    switch (kind) {
    case ReportKind::StartList:
        return StartListReport(context, false);
    case ReportKind::StartListMembers:
        return StartListReport(context, true);
    case ReportKind::CheckList:
        return CheckListReport(context);
    case ReportKind::Statistics:
        return ControlStatisticsReport(context);
    default:
        throw KorventError(QCoreApplication::translate("Reports", "This report is not available in this version"));
    }
}
