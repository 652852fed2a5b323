#pragma once

// Every report and export the program writes, in one table: its caption,
// its command-line name, its files, the options it takes and its generator.
// The report chooser, the main window's commands and korvent-cli are built
// from this table.

#include "output/ReportContext.h"

#include <QFlags>
#include <QStringList>
#include <optional>
#include <vector>

enum class ReportKind {
    StartList, StartListMembers, CheckList, ResultsTable, ResultsSplits, ResultsWeb, Statistics, Winners,
    IofXml3, IofXml2, Participants, Cardex, Trailplot, TeamInfo, TeamsRunners,
};

// Reports are pages offered by the report chooser; exports are files for
// other programs, each with its own command.
enum class ReportFamily { Report, Export };

enum class ReportOption {
    Classes = 0x1,  // publishes only the chosen classes
    PerClass = 0x2, // one page per class
    Encoding = 0x4, // text in a chosen encoding
    Compress = 0x8, // a compressed file
};
Q_DECLARE_FLAGS(ReportOptions, ReportOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(ReportOptions)

struct ReportKindEntry;

// Writes the kind's files through context.output (without committing) and
// returns the page to show; nullopt when no page was written. Raises
// KorventError to stop the run.
using ReportGenerator = std::optional<ReportFile> (*)(const ReportKindEntry &kind, const ReportContext &context, const ReportRequest &request);

struct ReportKindEntry
{
    ReportKind kind;
    ReportFamily family;
    const char *caption;           // the chooser item or menu command (translated in context "Reports")
    const char *cliName;           // its name on the command line
    std::vector<ReportFile> files; // its files with fixed names, the page to show first; a page per class puts the class name before ".htm";
                                   // a Chosen file (no name) is ReportRequest::target
    ReportOptions options;
    ReportGenerator generate;
    const char *doneMessage = nullptr; // told to the operator after a run that wrote its files (context "Reports")

    bool takes(ReportOption option) const { return options.testFlag(option); }
    QString captionText() const;
};

// Every kind, reports in the chooser's order.
const std::vector<ReportKindEntry> &ReportRegistry();
const ReportKindEntry &ReportKindOf(ReportKind kind);
// nullptr when the family has no kind of that name.
const ReportKindEntry *FindReportKind(const QString &cliName, ReportFamily family);

// The option as the command line writes it ("--class").
QString ReportOptionName(ReportOption option);

// Raises KorventError when the request sets an option the kind does not take ("startlist takes no --class").
void CheckReportRequest(const ReportKindEntry &kind, const ReportRequest &request);

// Checks the request, runs the generator and commits the output. Returns the
// page to show (nullopt when none was written). Nothing is committed when the
// generator raises an error or the run is cancelled before the commit; the
// commit itself, once begun, is finished.
std::optional<ReportFile> RunReport(const ReportKindEntry &kind, const ReportContext &context, const ReportRequest &request);
