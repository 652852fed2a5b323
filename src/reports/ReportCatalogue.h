#pragma once

// The reports the Reports command offers, in the chooser's order, and how
// each one is run.

#include <QString>
#include <QStringList>

namespace db { class Connection; }
struct EventSetup;

enum class ReportKind { StartList, StartListMembers, CheckList, ResultsTable, ResultsSplits, ResultsWeb, Statistics, Winners };

struct ReportCatalogueEntry
{
    ReportKind kind;
    const char *chooserText; // the chooser's item
    const char *cliName;     // korvent-cli report KIND
    bool built;              // its generator exists in this version
};

const std::vector<ReportCatalogueEntry> &ReportCatalogue();

struct ReportContext
{
    db::Connection &connection;
    const EventSetup &setup;
    QString resultsDirectory;
};

// Runs the generator and returns the written page (empty when none was
// written). Raises KorventError when the header template is missing or a
// page cannot be written, or when the report is not built yet.
QString RunReport(ReportKind kind, const ReportContext &context, const QStringList &classes, bool filePerClass);
