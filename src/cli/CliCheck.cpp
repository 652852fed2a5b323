// korvent-cli check: the entry data check of the teams window.

#include "cli/CliCommands.h"

#include "base/KorventError.h"
#include "entries/DataCheck.h"
#include "store/uData.h"

#include <QCoreApplication>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("Cli", text);
}

const QString checkUsage = QStringLiteral("check needs the rule file: check RULEFILE [--only TITLE ...]");

} // namespace

int CliCheckCommand(CliContext &context, const QStringList &arguments)
{
    QString ruleFile;
    QStringList only;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--only")) {
            if (++i == arguments.size())
                throw KorventError(tr("--only needs the title of a check"));
            // "--only A B" as well as "--only A --only B".
            only.append(arguments[i]);
            while (i + 1 < arguments.size() && !arguments[i + 1].startsWith(QLatin1String("--")))
                only.append(arguments[++i]);
        } else if (ruleFile.isEmpty()) {
            ruleFile = arguments[i];
        } else {
            throw KorventError(checkUsage);
        }
    }
    if (ruleFile.isEmpty())
        throw KorventError(checkUsage);

    const std::optional<std::vector<CheckRule>> rules = ReadCheckRules(ruleFile);
    if (!rules)
        throw KorventError(tr("No file") + ruleFile);
    const std::vector<bool> chosen = only.isEmpty() ? std::vector<bool>(rules->size(), true) : ChosenByTitle(*rules, only);
    const QStringList report = RunDataCheck(context.data.connection(), *rules, chosen,
                                            ReadClassTreeFile(ClassTreeFileName(context.location.eventDirectory)));
    if (report.isEmpty())
        context.out << tr("No errors") << '\n';
    for (const QString &line : report)
        context.out << line << '\n';
    return 0;
}
