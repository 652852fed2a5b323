#include "reports/ReportFileOutput.h"

#include "reports/ReportDirectory.h"

#include "base/KorventError.h"
#include "base/TextFile.h"
#include "store/uData.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {

// The event's database or a file SQLite keeps beside it while it is open:
// a list written over one of them would destroy the event.
bool isDatabaseFile(const QString &eventDirectory, const QString &path)
{
    const QString target = QFileInfo(path).canonicalFilePath();
    if (target.isEmpty())
        return false;
    const QString database = TdmData::databaseFileName(eventDirectory);
    for (const char *suffix : {"", "-wal", "-shm", "-journal"})
        if (QFileInfo(database + QLatin1String(suffix)).canonicalFilePath() == target)
            return true;
    return false;
}

} // namespace

ReportFileOutput::ReportFileOutput(const EventLocation &location)
    : m_location(location)
{
}

QString ReportFileOutput::folderPath(ReportFolder folder) const
{
    switch (folder) {
    case ReportFolder::Results:
        return m_location.resultsDirectory;
    case ReportFolder::Web:
        return m_location.eventDirectory + QStringLiteral("web/");
    case ReportFolder::Event:
        return m_location.eventDirectory;
    case ReportFolder::Chosen:
        break;
    }
    return QString();
}

QString ReportFileOutput::path(const ReportFile &file) const
{
    return folderPath(file.folder) + file.name;
}

void ReportFileOutput::commit()
{
    for (const ReportFile &file : files())
        if (file.folder == ReportFolder::Chosen && isDatabaseFile(m_location.eventDirectory, path(file)))
            throw KorventError(QCoreApplication::translate("Reports", "Cannot write %1: it is the event's database").arg(path(file)));
    for (const ReportFile &file : files()) {
        if (file.folder == ReportFolder::Results || file.folder == ReportFolder::Web)
            PrepareReportDirectory(m_location.programDirectory, folderPath(file.folder));
        WriteFileBytes(path(file), bytes(file));
    }
}
