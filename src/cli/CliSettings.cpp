// korvent-cli settings, settings set, classes.

#include "cli/CliCommands.h"
#include "cli/StderrSink.h"

#include "store/EventSetup.h"
#include "base/KorventError.h"

#include <QCoreApplication>

namespace {

using cli::Texts;

// Every assignment is checked before the file is written, so a bad one changes nothing.
void setSettings(const QString &eventDirectory, const QStringList &assignments)
{
    if (assignments.isEmpty())
        throw KorventError(Texts::tr("settings set needs KEY=VALUE arguments"));
    EventSettings::update(eventDirectory, [&](EventSettings &settings) {
        for (const QString &assignment : assignments) {
            const qsizetype equals = assignment.indexOf(u'=');
            if (equals <= 0)
                throw KorventError(Texts::tr("\"%1\" is not of the form KEY=VALUE").arg(assignment));
            const QString key = assignment.left(equals);
            const SettingDefinition *definition = FindSetting(key);
            if (!definition)
                throw KorventError(Texts::tr("There is no setting \"%1\"").arg(key));
            SetSettingText(settings, *definition, assignment.mid(equals + 1));
        }
    });
}

} // namespace

int CliSettingsCommand(CliContext &context, const QStringList &arguments)
{
    const QString eventDirectory = context.location.eventDirectory;
    if (!arguments.isEmpty()) {
        if (arguments.first() != QLatin1String("set"))
            throw KorventError(Texts::tr("Unknown settings argument \"%1\"; use settings or settings set KEY=VALUE ...").arg(arguments.first()));
        setSettings(eventDirectory, arguments.mid(1));
        return 0;
    }
    const EventSettings settings = EventSettings::load(eventDirectory);
    StderrSink messages;
    for (const SettingDefinition &definition : SettingDefinitions())
        context.out << definition.key << '=' << SettingText(settings, definition) << '\n';
    for (const QString &warning : settings.warnings())
        messages.warning(warning);
    return 0;
}

int CliClassesCommand(CliContext &context, const QStringList &arguments)
{
    if (!arguments.isEmpty())
        throw KorventError(Texts::tr("classes takes no arguments"));
    const ClassTable table = LoadClassTable(EventSetup::load(context.location.eventDirectory).classTree);
    int index = 0;
    for (const TClassInfo &entry : table) {
        QStringList path;
        for (const QString &level : entry.path)
            if (!level.isEmpty())
                path.append(level);
        context.out << ++index << '\t' << entry.name << '\t' << entry.start << '\t' << entry.maximumTime << '\t'
                    << entry.penaltyTime << '\t' << path.join(u'/') << '\n';
    }
    return 0;
}
