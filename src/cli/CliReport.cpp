// korvent-cli report KIND [--class NAME ...] [--per-class]

#include "cli/CliCommands.h"

#include "reports/ReportFileOutput.h"
#include "reports/ReportRegistry.h"
#include "store/EventSetup.h"
#include "base/KorventError.h"
#include "store/uData.h"

#include <QCoreApplication>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("Cli", text);
}

// The reports by name, those not built yet apart.
QString reportNames()
{
    QStringList built, later;
    for (const ReportKindEntry &entry : ReportRegistry())
        if (entry.family == ReportFamily::Report)
            (entry.built() ? built : later).append(QLatin1String(entry.cliName));
    QString names = built.join(QStringLiteral(", "));
    if (!later.isEmpty())
        names += tr(" (not available in this version: %1)").arg(later.join(QStringLiteral(", ")));
    return names;
}

// Every option of the registry is understood here; the kind then refuses
// those it does not take, so none is ever ignored.
ReportRequest parseOptions(const QStringList &arguments)
{
    ReportRequest request;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        const auto value = [&](ReportOption option) {
            if (i + 1 >= arguments.size() || arguments[i + 1].isEmpty())
                throw KorventError(tr("%1 needs a value").arg(ReportOptionName(option)));
            return arguments[++i];
        };
        if (argument == ReportOptionName(ReportOption::Classes))
            request.classes.append(value(ReportOption::Classes));
        else if (argument == ReportOptionName(ReportOption::PerClass))
            request.perClass = true;
        else if (argument == ReportOptionName(ReportOption::Encoding))
            request.encoding = value(ReportOption::Encoding);
        else if (argument == ReportOptionName(ReportOption::Compress))
            request.compress = true;
        else
            throw KorventError(tr("Unknown report option \"%1\"").arg(argument));
    }
    return request;
}

} // namespace

int CliReportCommand(CliContext &context, const QStringList &arguments)
{
    if (arguments.isEmpty())
        throw KorventError(tr("report needs a kind: %1").arg(reportNames()));
    const ReportKindEntry *kind = FindReportKind(arguments.first(), ReportFamily::Report);
    if (!kind)
        throw KorventError(tr("Unknown report \"%1\"; the reports are %2").arg(arguments.first(), reportNames()));
    const ReportRequest request = parseOptions(arguments.mid(1));
    const EventSetup setup = EventSetup::load(context.location.eventDirectory);
    ReportFileOutput output(context.location);
    RunReport(*kind, {context.data.connection(), setup, output}, request);
    if (output.files().isEmpty())
        throw KorventError(tr("No page was written"));
    for (const ReportFile &file : output.files())
        context.out << output.path(file) << '\n';
    return 0;
}
