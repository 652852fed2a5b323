// korvent-cli import and teams: the entry imports of the teams window and the
// main window, the teams with their runners, their numbering and the marking
// of started runners.

#include "cli/CliCommands.h"
#include "cli/CliArguments.h"

#include "base/KorventError.h"
#include "base/Platform.h"
#include "cli/StderrSink.h"
#include "cli/TerminalProgress.h"
#include "entries/EntryImport.h"
#include "entries/ImportedClasses.h"
#include "entries/StartedMarking.h"
#include "entries/TeamNumbering.h"
#include "entries/TeamsText.h"
#include "store/EventSettings.h"
#include "store/uData.h"

#include <QCoreApplication>

namespace {

using cli::Texts;

const QString importUsage = QStringLiteral("import needs one of: teams FILE [--encoding NAME] | chips FILE | started FILE");

} // namespace

int CliImportCommand(CliContext &context, const QStringList &arguments)
{
    CliArguments options(arguments);
    const std::optional<QString> encoding = options.takeValue(
        QStringLiteral("--encoding"), Texts::tr("--encoding needs one of %1").arg(Platform::textFileEncodings().join(QStringLiteral(", "))));
    const QStringList &words = options.rest();
    if (encoding && words.value(0) != QLatin1String("teams"))
        throw KorventError(Texts::tr("Only import teams takes --encoding; chip and start lists are in the program's text encoding"));
    if (words.size() != 2)
        throw KorventError(importUsage);
    const QString &kind = words[0];
    const QString &file = words[1];
    db::Connection &connection = context.data.connection();
    TerminalProgress progress;
    if (kind == QLatin1String("teams")) {
        const TeamImportSummary summary = ImportTeams(connection, ReadImportLines(file, encoding.value_or(QStringLiteral("UTF-8"))), progress);
        progress.clear();
        context.out << TeamImportSummaryText(summary) << '\n';
        for (const QString &warning : ImportedClassesUnknown(summary, *cli::storedSetup(context.location.eventDirectory)))
            StderrSink().warning(warning);
        return 0;
    }
    if (kind == QLatin1String("chips")) {
        const int card = EventSettings::load(context.location.eventDirectory).controlCard;
        const ChipImportSummary summary = ImportChips(connection, ReadImportLines(file, QStringLiteral("ANSI")), card, progress);
        progress.clear();
        context.out << ChipImportSummaryText(summary) << '\n';
        // The chips are given; the operator learns that the list ran out.
        if (summary.listUsedUp)
            StderrSink().warning(Texts::tr("List is empty"));
        return 0;
    }
    if (kind == QLatin1String("started")) {
        const StartedImportSummary summary = LoadStarted(connection, ReadImportLines(file, QStringLiteral("ANSI")), progress);
        progress.clear();
        context.out << StartedImportSummaryText(summary) << '\n';
        return 0;
    }
    throw KorventError(importUsage);
}

int CliTeamsCommand(CliContext &context, const QStringList &arguments)
{
    db::Connection &connection = context.data.connection();
    if (arguments.value(0) == QLatin1String("number")) {
        CliArguments options(arguments.sliced(1));
        const std::optional<QString> from = options.takeValue(QStringLiteral("--from"), Texts::tr("--from needs the first number"));
        const std::optional<QString> className = options.takeValue(QStringLiteral("--class"), Texts::tr("--class needs a class name"));
        if (!options.rest().isEmpty())
            throw KorventError(Texts::tr("teams number takes [--from N] [--class NAME], got \"%1\"").arg(options.rest().join(u' ')));
        std::optional<qint64> first;
        if (from) {
            bool isNumber = false;
            first = from->toLongLong(&isNumber);
            if (!isNumber)
                throw KorventError(Texts::tr("--from needs a whole number, not \"%1\"").arg(*from));
        }
        context.out << NumberingSummaryText(NumberTeams(connection, first, className.value_or(QString()))) << '\n';
        return 0;
    }
    if (arguments.value(0) == QLatin1String("mark-started")) {
        const QStringList choice = arguments.sliced(1);
        if (choice.size() != 1 || (choice[0] != QLatin1String("--read-out") && choice[0] != QLatin1String("--all")))
            throw KorventError(Texts::tr("teams mark-started needs --read-out or --all"));
        const StartedRunners which = choice[0] == QLatin1String("--all") ? StartedRunners::All : StartedRunners::ReadOut;
        const int card = EventSettings::load(context.location.eventDirectory).controlCard;
        context.out << StartedMarkSummaryText(MarkRunnersStarted(connection, which, card)) << '\n';
        return 0;
    }
    cli::requireNoArguments("teams", arguments);
    for (const QString &line : TeamsWithRunnersText(connection))
        context.out << line << '\n';
    return 0;
}
