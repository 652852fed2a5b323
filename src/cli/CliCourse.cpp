// korvent-cli controls import FILE | create FROM TO | list | mapfile:
// the commands of the setup window's Controls page.

#include "cli/CliCommands.h"

#include "base/KorventError.h"
#include "cli/TerminalProgress.h"
#include "course/ControlCreation.h"
#include "course/ControlList.h"
#include "course/CourseDataImport.h"
#include "course/CourseImportSummary.h"
#include "course/CourseMapFile.h"
#include "store/EventSettings.h"
#include "store/uData.h"

#include <QCoreApplication>

namespace {

using cli::Texts;
using cli::wholeNumber;

const QString usageText = QStringLiteral("controls import FILE | create FROM TO | list | mapfile");

// The action and exactly the arguments its form names.
void requireForm(const QStringList &arguments, qsizetype count, const char *form)
{
    if (arguments.size() != count + 1)
        throw KorventError(Texts::tr("Wrong arguments for controls %1; use: controls %2").arg(arguments.first(), QLatin1String(form)));
}

int importFile(CliContext &context, const QString &fileName)
{
    const QString eventDirectory = context.location.eventDirectory;
    EventSettings settings = EventSettings::load(eventDirectory);
    // The map reference is saved before the rows are committed: a settings
    // file that cannot be written leaves the control table as it was.
    TerminalProgress progress;
    const CourseData course = ImportCourseData(
        context.data, fileName, settings.unitNumberPlus11,
        [&](const CourseData &read) {
            if (read.map)
                settings = EventSettings::update(eventDirectory, [&](EventSettings &saved) { ApplyMapReference(saved, *read.map); });
        },
        progress);
    progress.clear();
    for (const QString &line : CourseImportSummary(course))
        context.out << line << '\n';
    if (course.map)
        for (const SettingMember member : {SettingMember(&EventSettings::mapScale), SettingMember(&EventSettings::mapOffsetX),
                                           SettingMember(&EventSettings::mapOffsetY)}) {
            const SettingDefinition &setting = SettingOf(member);
            context.out << setting.key << '=' << SettingText(settings, setting) << '\n';
        }
    return 0;
}

} // namespace

int CliControlsCommand(CliContext &context, const QStringList &arguments)
{
    const QString action = arguments.value(0);
    if (action == QLatin1String("import")) {
        requireForm(arguments, 1, "import FILE");
        return importFile(context, arguments.at(1));
    }
    if (action == QLatin1String("create")) {
        requireForm(arguments, 2, "create FROM TO");
        const EventSettings settings = EventSettings::load(context.location.eventDirectory);
        const qsizetype added = CreateControls(context.data, wholeNumber(arguments.at(1), "FROM"), wholeNumber(arguments.at(2), "TO"),
                                               settings.unitNumberPlus11, settings.checkInOutControls);
        context.out << Texts::tr("%1 controls added").arg(added) << '\n';
        return 0;
    }
    if (action == QLatin1String("list")) {
        requireForm(arguments, 0, "list");
        for (const QString &line : ControlListLines(context.data.connection()))
            context.out << line << '\n';
        return 0;
    }
    if (action == QLatin1String("mapfile")) {
        requireForm(arguments, 0, "mapfile");
        const QString eventDirectory = context.location.eventDirectory;
        context.out << SaveCourseMapFile(context.data, EventSettings::load(eventDirectory), eventDirectory) << '\n';
        return 0;
    }
    if (action.isEmpty())
        throw KorventError(Texts::tr("controls needs an action: %1").arg(usageText));
    throw KorventError(Texts::tr("Unknown controls action \"%1\"; use %2").arg(action, usageText));
}
