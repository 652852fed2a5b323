#include "output/ReportFileOutput.h"

#include "output/ReportDirectory.h"

#include "base/FilesTogether.h"
#include "store/EventFiles.h"

#include <set>

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
    std::vector<FileBytes> written;
    std::set<ReportFolder> reportFolders;
    for (const ReportFile &file : files()) {
        written.push_back({path(file), bytes(file)});
        if (file.folder == ReportFolder::Results || file.folder == ReportFolder::Web)
            reportFolders.insert(file.folder);
    }
    WriteFilesTogether(written, [&] {
        for (const ReportFolder folder : reportFolders)
            PrepareReportDirectory(m_location.program, folderPath(folder));
    });
}
