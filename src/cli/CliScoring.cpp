// korvent-cli calculate, punchlist, explain and generate.

#include "cli/CliCommands.h"
#include "shell/EventGenerator.h"

#include "entries/TeamResultLines.h"
#include "scoring/PunchCorrections.h"
#include "scoring/ResultExplanation.h"
#include "scoring/TeamCalculation.h"
#include "scoring/UnlistedMembers.h"
#include "base/KorventError.h"
#include "cli/StderrSink.h"
#include "cli/TerminalProgress.h"
#include "store/StatusTexts.h"
#include "store/TimeHelpers.h"
#include "store/uData.h"

#include <QCoreApplication>
#include <limits>

namespace {

using cli::storedSetup;
using cli::teamNumbered;
using cli::Texts;
using cli::wholeNumber;

// A generator count: a value beyond int would be cut to another, smaller count.
int countNumber(const QString &text, const char *what)
{
    const qint64 value = wholeNumber(text, what);
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        throw KorventError(Texts::tr("%1 \"%2\" is too large").arg(QString::fromLatin1(what), text));
    return static_cast<int>(value);
}

} // namespace

int CliCalculateCommand(CliContext &context, const QStringList &arguments)
{
    TerminalProgress progress;
    StderrSink messages(&progress);
    if (arguments.size() == 1 && (arguments[0] == QLatin1String("--all") || arguments[0] == QLatin1String("--new"))) {
        TeamCalculation calculation(context.data, storedSetup(context.location.eventDirectory), messages);
        const CalculationSummary summary = calculation.CalculateAllTeams(arguments[0] == QLatin1String("--all"), progress);
        progress.clear();
        context.out << "Calculated " << summary.calculated << " teams: " << summary.withResult << " with result, "
                    << summary.noResult << " NARes., " << summary.errors << " errors\n";
        // The others are calculated; the run as a whole did not do what was asked.
        return summary.errors > 0 ? 1 : 0;
    }
    if (arguments.size() == 2 && arguments[0] == QLatin1String("--team")) {
        const qint64 number = teamNumbered(context.data.connection(), arguments[1]).number;
        const bool written = RecalculateTeam(context.data, storedSetup(context.location.eventDirectory), messages, number);
        const TeamRow team = teamNumbered(context.data.connection(), arguments[1]);
        context.out << "Team " << number << ": " << (written ? QStringLiteral("result ") + ResultText(team.result)
                                                             : QStringLiteral("no full result")) << ", status "
                    << TeamStatusText(team.status) << '\n';
        WarnResultTeamsWithoutStartedRunner(context.data.connection(), messages);
        return messages.errors > 0 ? 1 : 0;
    }
    throw KorventError(Texts::tr("calculate needs --all, --new or --team N"));
}

int CliPunchListCommand(CliContext &context, const QStringList &arguments)
{
    if (arguments.size() != 1)
        throw KorventError(Texts::tr("punchlist needs a team number"));
    const qint64 number = teamNumbered(context.data.connection(), arguments[0]).number;
    StderrSink messages;
    // The lines of the teams window's "Results (view)".
    for (const QString &line : TeamResultLines(context.data, storedSetup(context.location.eventDirectory), messages, number))
        context.out << line << '\n';
    return 0;
}

int CliExplainCommand(CliContext &context, const QStringList &arguments)
{
    if (arguments.size() != 1)
        throw KorventError(Texts::tr("explain takes one team number"));
    const qint64 number = teamNumbered(context.data.connection(), arguments[0]).number;
    for (const QString &line : ExplainTeamResult(context.data, storedSetup(context.location.eventDirectory), context.location.eventDirectory, number).lines)
        context.out << line << '\n';
    return 0;
}

int CliGenerateCommand(CliContext &context, const QStringList &arguments)
{
    GeneratorOptions options;
    for (qsizetype i = 0; i < arguments.size(); i += 2) {
        const QString &option = arguments[i];
        if (i + 1 >= arguments.size())
            throw KorventError(Texts::tr("%1 needs a value").arg(option));
        const QString &value = arguments[i + 1];
        if (option == QLatin1String("--seed"))
            options.seed = static_cast<quint64>(wholeNumber(value, "--seed"));
        else if (option == QLatin1String("--teams"))
            options.teams = countNumber(value, "--teams");
        else if (option == QLatin1String("--controls"))
            options.controls = countNumber(value, "--controls");
        else if (option == QLatin1String("--visits"))
            options.visits = countNumber(value, "--visits");
        else if (option == QLatin1String("--classes"))
            options.classes = countNumber(value, "--classes");
        else if (option == QLatin1String("--runners")) {
            const QStringList range = value.split(u'-');
            options.minRunners = countNumber(range.first(), "--runners");
            options.maxRunners = countNumber(range.last(), "--runners");
        } else
            throw KorventError(Texts::tr("Unknown generate option \"%1\"").arg(option));
    }
    options.resultHeader = context.location.program.newEventHeader;
    const GeneratedEvent event = GenerateEvent(context.data, context.location.eventDirectory, options);
    context.out << "Generated " << event.teams << " teams, " << event.runners << " runners, " << event.controls
                << " controls, " << event.punches << " punches\n";
    return 0;
}
