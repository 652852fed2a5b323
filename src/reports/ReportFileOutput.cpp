#include "reports/ReportFileOutput.h"

#include "reports/ReportDirectory.h"

#include "base/TextFile.h"
#include "store/EventFiles.h"

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
        if (file.folder == ReportFolder::Chosen)
            RefuseEventFileAsTarget(m_location.eventDirectory, path(file));
    for (const ReportFile &file : files()) {
        if (file.folder == ReportFolder::Results || file.folder == ReportFolder::Web)
            PrepareReportDirectory(m_location.programDirectory, folderPath(file.folder));
        WriteFileBytes(path(file), bytes(file));
    }
}
