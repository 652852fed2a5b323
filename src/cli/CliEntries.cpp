// korvent-cli import and teams: the entry imports of the teams window and the
// main window, and the teams with their runners.

#include "cli/CliCommands.h"
#include "cli/CliArguments.h"

#include "base/KorventError.h"
#include "base/Platform.h"
#include "cli/StderrSink.h"
#include "entries/EntryImport.h"
#include "entries/TeamsText.h"
#include "store/EventSettings.h"
#include "store/uData.h"

#include <QCoreApplication>

namespace {

using cli::tr;

const QString importUsage = QStringLiteral("import needs one of: teams FILE [--encoding NAME] | chips FILE | started FILE");

} // namespace

int CliImportCommand(CliContext &context, const QStringList &arguments)
{
    CliArguments options(arguments);
    const std::optional<QString> encoding = options.takeValue(
        QStringLiteral("--encoding"), tr("--encoding needs one of %1").arg(Platform::textFileEncodings().join(QStringLiteral(", "))));
    const QStringList &words = options.rest();
    if (encoding && words.value(0) != QLatin1String("teams"))
        throw KorventError(tr("Only import teams takes --encoding; chip and start lists are in the program's text encoding"));
    if (words.size() != 2)
        throw KorventError(importUsage);
    const QString &kind = words[0];
    const QString &file = words[1];
    db::Connection &connection = context.data.connection();
    if (kind == QLatin1String("teams")) {
        const TeamImportSummary summary = ImportTeams(connection, ReadImportLines(file, encoding.value_or(QStringLiteral("UTF-8"))));
        context.out << "Imported " << summary.runnersAdded << " runners: " << summary.teamsAdded << " teams added, "
                    << summary.teamsUpdated << " updated, " << summary.linesSkipped << " lines skipped\n";
        return 0;
    }
    if (kind == QLatin1String("chips")) {
        const int card = EventSettings::load(context.location.eventDirectory).rgControlCard;
        const ChipImportSummary summary = ImportChips(connection, ReadImportLines(file, QStringLiteral("ANSI")), card);
        context.out << "Handed out " << summary.chipsGiven << " chips\n";
        // The chips are given; the operator learns that the list ran out.
        if (summary.listUsedUp)
            StderrSink().warning(tr("List is empty"));
        return 0;
    }
    if (kind == QLatin1String("started")) {
        const StartedImportSummary summary = LoadStarted(connection, ReadImportLines(file, QStringLiteral("ANSI")));
        context.out << "Started " << summary.runnersStarted << " runners, " << summary.linesPassedOver << " lines passed over\n";
        return 0;
    }
    throw KorventError(importUsage);
}

int CliTeamsCommand(CliContext &context, const QStringList &arguments)
{
    cli::requireNoArguments("teams", arguments);
    for (const QString &line : TeamsWithRunnersText(context.data.connection()))
        context.out << line << '\n';
    return 0;
}
