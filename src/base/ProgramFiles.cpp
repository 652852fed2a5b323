#include "base/ProgramFiles.h"

#include "base/Platform.h"

#include "InstallLayout.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
// A checkout's events name the header by the same relative path, whichever
// checkout opens them.
const QString checkoutHeader = QStringLiteral("common/header.htm");
const QString headerName = QStringLiteral("header.htm");
const QString programFolderName = QStringLiteral("korvent");
} // namespace

ProgramFiles ProgramFiles::inProgramDirectory(const QString &programDirectory)
{
    const QString directory = Platform::withTrailingSeparator(programDirectory);
    const QString common = directory + QStringLiteral("common/");
    return {directory + QStringLiteral("setup.ini"), common, common, checkoutHeader};
}

ProgramFiles ProgramFiles::installed(const QString &sharedFolder)
{
    // The generic locations, not the per-application ones: korvent and
    // korvent-cli are two programs with one set of files.
    const auto folder = [](QStandardPaths::StandardLocation location) -> QString {
        return Platform::withTrailingSeparator(QStandardPaths::writableLocation(location)) + programFolderName + u'/';
    };
    ProgramFiles files{folder(QStandardPaths::GenericConfigLocation) + QStringLiteral("setup.ini"),
                       folder(QStandardPaths::GenericDataLocation), Platform::withTrailingSeparator(sharedFolder), {}};
    files.newEventHeader = files.file(headerName);
    return files;
}

ProgramFiles ProgramFiles::ofThisProgram()
{
    const QString shared = QDir::cleanPath(QCoreApplication::applicationDirPath() + u'/' + QStringLiteral(KORVENT_SHARED_FROM_PROGRAMS));
    if (QFileInfo(shared).isDir())
        return installed(shared);
    return inProgramDirectory(QDir::currentPath());
}

QString ProgramFiles::file(const QString &name) const
{
    const QString own = userFile(name);
    return QFileInfo::exists(own) ? own : sharedFolder + name;
}

QString ProgramFiles::userFile(const QString &name) const
{
    return userFolder + name;
}
