#include "shell/StartupSequence.h"

#include "output/ReportDirectory.h"
#include "base/IniFile.h"
#include "base/KorventError.h"
#include "base/MessageSink.h"
#include "base/Platform.h"
#include "store/DatabaseBinding.h"
#include "store/EventRecords.h"
#include "store/EventSettings.h"
#include "store/uData.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <filesystem>

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

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(StartupSequence)
};

bool isFolder(const QString &directory)
{
    return !directory.isEmpty() && QFileInfo(directory).isDir();
}

// The start window until it names a folder that exists, is cancelled, or the
// user lets a missing one be created.
StartWindowAnswer askUntilSettled(const QString &proposed, const AskStartWindow &askStartWindow, const AskCreateFolder &askCreateFolder)
{
    StartWindowAnswer answer = askStartWindow(proposed);
    while (answer.confirmed && askCreateFolder && !answer.eventDirectory.isEmpty() && !isFolder(answer.eventDirectory)) {
        const QString path = QFileInfo(answer.eventDirectory).absoluteFilePath();
        if (askCreateFolder(path)) {
            if (!QDir().mkpath(path))
                throw KorventError(Texts::tr("Cannot create the event folder %1").arg(path));
            break;
        }
        answer = askStartWindow(answer.eventDirectory);
    }
    return answer;
}

// A new event starts with the program's report header, so that its first
// report can be made; a header the organiser set or emptied stays.
void giveNewEventTheProgramHeader(const QString &eventDirectory, const QString &header)
{
    const EventRecords records(eventDirectory);
    const QString key = QString::fromLatin1(SettingOf(&EventSettings::resultHeader).key);
    // Looked at first: most starts of an event on a server find it saved and write nothing.
    if (records.isSettingStored(key))
        return;
    records.updateSettings([&](EventSettings &settings) {
        if (!records.isSettingStored(key))
            settings.resultHeader = header;
    });
}

// Remembers the folder as the last event, by its absolute path: a relative one
// would name another folder from another current folder. Returns why it could
// not be written; empty when it was, or was already the one remembered.
QString rememberEvent(const ProgramFiles &program, IniFile &settings, const QString &eventDirectory)
{
    if (!program.settingsUnavailable.isEmpty())
        return program.settingsUnavailable;
    const QString &file = program.settingsFile;
    const QFileInfo info(file);
    // Not read, so its content would be lost.
    if (info.exists() && !info.isReadable())
        return Texts::tr("%1 cannot be read").arg(file);
    try {
        // Written only when the folder is another one: the file may hold what
        // this program cannot read, and is left as it is.
        settings.writeString(QStringLiteral("event"), QStringLiteral("dir"), QDir::cleanPath(QFileInfo(eventDirectory).absoluteFilePath()));
        if (!settings.isModified())
            return QString();
        // An installed program's configuration folder may not exist yet.
        std::error_code error;
        std::filesystem::create_directories(QFile::encodeName(info.absolutePath()).toStdString(), error);
        if (error)
            return Texts::tr("cannot make the folder %1: %2").arg(info.absolutePath(), QString::fromLocal8Bit(error.message()));
        settings.save();
    } catch (const KorventError &failure) {
        return failure.message();
    }
    return QString();
}

} // namespace

EventLocation settle(const ProgramFiles &program, const QStringList &arguments, const AskStartWindow &askStartWindow,
                     const OpenEvent &openEvent, const AskCreateFolder &askCreateFolder, MessageSink *messages)
{
    EventLocation location;
    location.program = program;
    const QString &settingsFile = program.settingsFile;
    applyTextEncoding(settingsFile);

    IniFile settings(settingsFile);
    // The very first start proposes a new folder among the user's documents, not
    // the program's own folder, nor the documents or home folder themselves.
    QString eventDirectory = settings.readString(QStringLiteral("event"), QStringLiteral("dir"), Platform::documentsFolder() + QStringLiteral("Korvent/Event"));
    location.teamsMinTimeWindow = static_cast<int>(settings.readInteger(QStringLiteral("check"), QStringLiteral("TeamsMinTimeWindow"), 60));
    location.teamsTogetherControls = static_cast<int>(settings.readInteger(QStringLiteral("check"), QStringLiteral("TeamsTogetherControls"), 15));

    std::optional<db::DatabaseAddress> database;
    if (!arguments.isEmpty()) {
        eventDirectory = arguments.first();
        location.confirmed = true;
    } else {
        const StartWindowAnswer answer = askUntilSettled(eventDirectory, askStartWindow, askCreateFolder);
        eventDirectory = answer.eventDirectory;
        location.confirmed = answer.confirmed;
        if (answer.confirmed)
            database = answer.database;
    }

    if (eventDirectory.isEmpty())
        throw KorventError(Texts::tr("Event directory is missing: no folder was given"));
    if (!isFolder(eventDirectory))
        throw KorventError(Texts::tr("Event directory is missing: %1").arg(QFileInfo(eventDirectory).absoluteFilePath()));

    location.eventDirectory = Platform::withTrailingSeparator(eventDirectory);
    if (database && database->engine == db::Engine::PostgreSQL)
        BindEventToCheckedServer(location.eventDirectory, *database);
    else if (database)
        BindEventToOwnFile(location.eventDirectory);
    location.resultsDirectory = location.eventDirectory + QStringLiteral("results/");
    // A folder's own file is new when this start made it. Whether a server's
    // database is new cannot be told from the folder; its header is looked at
    // on every start that opens it instead, which gives the header to the
    // first seat to open it.
    const bool onServer = EventRecords(location.eventDirectory).server().has_value();
    const bool newFile = !onServer && !QFileInfo::exists(TdmData::databaseFileName(location.eventDirectory));
    if (openEvent) {
        openEvent(location);
        if (location.confirmed && (onServer || (newFile && QFileInfo::exists(TdmData::databaseFileName(location.eventDirectory)))))
            giveNewEventTheProgramHeader(location.eventDirectory, program.newEventHeader);
    }
    if (location.confirmed) {
        // The event is worked on all the same; only the next start will not propose it.
        const QString notRemembered = rememberEvent(program, settings, eventDirectory);
        if (!notRemembered.isEmpty() && messages)
            messages->warning(Texts::tr("The last event cannot be remembered: %1").arg(notRemembered));
        PrepareReportDirectory(program, location.resultsDirectory);
    }
    return location;
}

} // namespace StartupSequence
