// korvent-cli report KIND [--class NAME ...] [--per-class]
// korvent-cli export KIND [FILE] [--encoding NAME] [--compress]
// Both run a kind of the registry and print the files written.

#include "cli/CliCommands.h"
#include "cli/CliArguments.h"
#include "cli/StderrSink.h"
#include "cli/TerminalProgress.h"

#include "reports/ClassGroup.h"
#include "output/ReportFileOutput.h"
#include "registry/ReportRegistry.h"
#include "store/EventSetup.h"
#include "base/KorventError.h"
#include "store/uData.h"

#include <QCoreApplication>
#include <algorithm>

namespace {

using cli::Texts;

// The family's kinds by name.
QString kindNames(ReportFamily family)
{
    QStringList names;
    for (const ReportKindEntry &entry : ReportRegistry())
        if (entry.family == family)
            names.append(QLatin1String(entry.cliName));
    return names.join(QStringLiteral(", "));
}

// Every option of the registry is understood here; the kind then refuses
// those it does not take, so none is ever ignored. Other arguments are file
// names, collected in `files`.
ReportRequest parseOptions(const QStringList &arguments, const QString &command, QStringList &files)
{
    CliArguments options(arguments);
    const auto missing = [](ReportOption option) { return Texts::tr("%1 needs a value").arg(ReportOptionName(option)); };
    ReportRequest request;
    request.classes = options.takeValues(ReportOptionName(ReportOption::Classes), missing(ReportOption::Classes));
    request.perClass = options.takeFlag(ReportOptionName(ReportOption::PerClass));
    request.encoding = options.takeValue(ReportOptionName(ReportOption::Encoding), missing(ReportOption::Encoding)).value_or(QString());
    request.compress = options.takeFlag(ReportOptionName(ReportOption::Compress));
    for (const QString &word : options.rest()) {
        if (word.startsWith(QLatin1String("--")))
            throw KorventError(Texts::tr("Unknown %1 option \"%2\"").arg(command, word));
        files.append(word);
    }
    return request;
}

int runKind(CliContext &context, const QStringList &arguments, ReportFamily family)
{
    const bool report = family == ReportFamily::Report;
    const QString command = report ? QStringLiteral("report") : QStringLiteral("export");
    if (arguments.isEmpty())
        throw KorventError(Texts::tr("%1 needs a kind: %2").arg(command, kindNames(family)));
    const ReportKindEntry *kind = FindReportKind(arguments.first(), family);
    if (!kind)
        throw KorventError((report ? Texts::tr("Unknown report \"%1\"; the reports are %2") : Texts::tr("Unknown export \"%1\"; the exports are %2"))
                               .arg(arguments.first(), kindNames(family)));
    QStringList files;
    ReportRequest request = parseOptions(arguments.mid(1), command, files);
    const QString name = QLatin1String(kind->cliName);
    const bool writesChosenFile = std::any_of(kind->files.begin(), kind->files.end(),
                                              [](const ReportFile &file) { return file.folder == ReportFolder::Chosen; });
    if (writesChosenFile && files.size() > 1)
        throw KorventError(Texts::tr("%1 writes one file, got \"%2\"").arg(name, files.join(QStringLiteral("\", \""))));
    if (!writesChosenFile && !files.isEmpty())
        throw KorventError(Texts::tr("%1 takes no file name, got \"%2\"").arg(name, files.join(QStringLiteral("\", \""))));
    request.target = files.value(0);
    const EventSetup setup = EventSetup::load(context.location.eventDirectory);
    // The chooser offers the main classes and checks them all: without
    // --class every one counts, and a name it would not offer is a mistake.
    if (kind->takes(ReportOption::Classes)) {
        const QStringList mainClasses = MainClassNames(setup.classTree);
        if (request.classes.isEmpty())
            request.classes = mainClasses;
        for (const QString &name : std::as_const(request.classes))
            if (!mainClasses.contains(name))
                throw KorventError(Texts::tr("Unknown class \"%1\"; the classes are %2").arg(name, mainClasses.join(QStringLiteral(", "))));
    }
    ReportFileOutput output(context.location);
    TerminalProgress progress;
    StderrSink messages(&progress);
    RunReport(*kind, {context.data.connection(), setup, output, &messages, context.location.eventDirectory, &context.location, &progress},
              request);
    progress.clear();
    if (output.files().isEmpty())
        throw KorventError(report ? Texts::tr("No page was written") : Texts::tr("No file was written"));
    for (const ReportFile &file : output.files())
        context.out << output.path(file) << '\n';
    return 0;
}

} // namespace

int CliReportCommand(CliContext &context, const QStringList &arguments)
{
    return runKind(context, arguments, ReportFamily::Report);
}

int CliExportCommand(CliContext &context, const QStringList &arguments)
{
    return runKind(context, arguments, ReportFamily::Export);
}
