#include "shell/StartupSequence.h"

#include "reports/ReportDirectory.h"
#include "base/IniFile.h"
#include "base/KorventError.h"
#include "base/Platform.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace StartupSequence {

namespace {

// The program-wide text encoding must be known before any other file is read.
void applyTextEncoding(const QString &settingsFile)
{
    const QString codepage = IniFile(settingsFile).readString(QStringLiteral("system"), QStringLiteral("codepage")).trimmed();
    if (codepage.isEmpty())
        return;
    if (!Platform::setTextEncoding(codepage))
        throw KorventError(QCoreApplication::translate("StartupSequence", "Unknown text encoding \"%1\" in [system] codepage of %2")
                               .arg(codepage, settingsFile));
}

} // namespace

QString programSettingsFile(const QString &programDirectory)
{
    return programDirectory + QStringLiteral("setup.ini");
}

EventLocation settle(const QString &currentDirectory, const QStringList &arguments, const AskStartWindow &askStartWindow,
                     const OpenEvent &openEvent)
{
    EventLocation location;
    location.programDirectory = Platform::withTrailingSeparator(currentDirectory);
    const QString settingsFile = programSettingsFile(location.programDirectory);
    applyTextEncoding(settingsFile);

    IniFile settings(settingsFile);
    // The very first start proposes the user's documents, not the program's own folder.
    QString eventDirectory = settings.readString(QStringLiteral("event"), QStringLiteral("dir"), Platform::documentsFolder());
    location.teamsMinTimeWindow = static_cast<int>(settings.readInteger(QStringLiteral("check"), QStringLiteral("TeamsMinTimeWindow"), 60));
    location.teamsTogetherControls = static_cast<int>(settings.readInteger(QStringLiteral("check"), QStringLiteral("TeamsTogetherControls"), 15));

    if (!arguments.isEmpty()) {
        eventDirectory = arguments.first();
        location.confirmed = true;
    } else {
        const StartWindowAnswer answer = askStartWindow(eventDirectory);
        eventDirectory = answer.eventDirectory;
        location.confirmed = answer.confirmed;
    }

    if (eventDirectory.isEmpty() || !QFileInfo(eventDirectory).isDir())
        throw KorventError(QCoreApplication::translate("StartupSequence", "Event directory is missing"));

    location.eventDirectory = Platform::withTrailingSeparator(eventDirectory);
    location.resultsDirectory = location.eventDirectory + QStringLiteral("results/");
    if (openEvent)
        openEvent(location);
    if (location.confirmed) {
        // Written only when the folder is another one: the file may hold what
        // this program cannot read, and is left as it is.
        settings.writeString(QStringLiteral("event"), QStringLiteral("dir"), eventDirectory);
        if (settings.isModified())
            settings.save();
        PrepareReportDirectory(location.programDirectory, location.resultsDirectory);
    }
    return location;
}

} // namespace StartupSequence
