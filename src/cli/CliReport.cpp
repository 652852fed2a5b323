// korvent-cli report KIND [--class NAME ...] [--per-class]

#include "cli/CliCommands.h"

#include "reports/ReportCatalogue.h"
#include "store/EventSetup.h"
#include "base/KorventError.h"
#include "store/uData.h"

#include <QCoreApplication>

int CliReportCommand(CliContext &context, const QStringList &arguments)
{
    const auto tr = [](const char *text) { return QCoreApplication::translate("Cli", text); };
    if (arguments.isEmpty())
        throw KorventError(tr("report needs a kind"));
    const auto &catalogue = ReportCatalogue();
    const auto entry = std::find_if(catalogue.begin(), catalogue.end(),
                                    [&](const ReportCatalogueEntry &e) { return arguments.first() == QLatin1String(e.cliName); });
    if (entry == catalogue.end())
        throw KorventError(tr("Unknown report \"%1\"").arg(arguments.first()));
    QStringList classes;
    bool perClass = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--per-class"))
            perClass = true;
        else if (arguments[i] == QLatin1String("--class") && i + 1 < arguments.size())
            classes.append(arguments[++i]);
        else
            throw KorventError(tr("Unknown report option \"%1\"").arg(arguments[i]));
    }
    const EventSetup setup = EventSetup::load(context.location.eventDirectory);
    const QString written = RunReport(entry->kind, {context.data.connection(), setup, context.location.resultsDirectory}, classes, perClass);
    if (written.isEmpty())
        throw KorventError(tr("No page was written"));
    context.out << written << '\n';
    return 0;
}
