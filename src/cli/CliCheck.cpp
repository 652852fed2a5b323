// korvent-cli check: the entry data check of the teams window.

#include "cli/CliCommands.h"
#include "cli/CliArguments.h"

#include "base/KorventError.h"
#include "cli/TerminalProgress.h"
#include "entries/DataCheck.h"
#include "store/EventRecords.h"
#include "store/uData.h"

#include <QCoreApplication>

namespace {

using cli::Texts;

const QString checkUsage = QStringLiteral("check needs the rule file: check RULEFILE [--only TITLE ...]");

} // namespace

int CliCheckCommand(CliContext &context, const QStringList &arguments)
{
    CliArguments options(arguments);
    const QStringList only = options.takeValues(QStringLiteral("--only"), Texts::tr("--only needs the title of a check"));
    if (options.rest().size() != 1)
        throw KorventError(checkUsage);
    const QString &ruleFile = options.rest().first();

    const std::optional<std::vector<CheckRule>> rules = ReadCheckRules(ruleFile);
    if (!rules)
        throw KorventError(Texts::tr("No file") + ruleFile);
    const std::vector<bool> chosen = only.isEmpty() ? std::vector<bool>(rules->size(), true) : ChosenByTitle(*rules, only);
    TerminalProgress progress;
    const QStringList report = RunDataCheck(context.data.connection(), *rules, chosen,
                                            EventRecords(context.location.eventDirectory).loadClassTree(), DataCheckMostFindings,
                                            progress);
    progress.clear();
    if (report.isEmpty())
        context.out << Texts::tr("No errors") << '\n';
    for (const QString &line : report)
        context.out << line << '\n';
    return 0;
}
