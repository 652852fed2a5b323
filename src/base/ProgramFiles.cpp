#include "base/ProgramFiles.h"

#include "base/Platform.h"

#include "InstallLayout.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
const QString headerName = QStringLiteral("header.htm");
// A checkout's shared files, and the folder its events named them by.
const QString checkoutFolderName = QStringLiteral("common");
const QString programFolderName = QStringLiteral(KORVENT_SHARED_FOLDER_NAME);
} // namespace

ProgramFiles ProgramFiles::inProgramDirectory(const QString &programDirectory)
{
    const QString directory = Platform::withTrailingSeparator(programDirectory);
    const QString common = directory + checkoutFolderName + u'/';
    return {directory + QStringLiteral("setup.ini"), common, common, headerName};
}

ProgramFiles ProgramFiles::installed(const QString &sharedFolder)
{
    // The generic locations, not the per-application ones: korvent and
    // korvent-cli are two programs with one set of files.
    const auto folder = [](QStandardPaths::StandardLocation location) -> QString {
        return Platform::withTrailingSeparator(QStandardPaths::writableLocation(location)) + programFolderName + u'/';
    };
    ProgramFiles files{folder(QStandardPaths::GenericConfigLocation) + QStringLiteral("setup.ini"),
                       folder(QStandardPaths::GenericDataLocation), Platform::withTrailingSeparator(sharedFolder), headerName};
    // Without a home the configuration folder would be one under the root folder.
    if (qEnvironmentVariableIsEmpty("HOME") && qEnvironmentVariableIsEmpty("XDG_CONFIG_HOME"))
        files.settingsUnavailable = QCoreApplication::translate("ProgramFiles", "HOME is not set, so there is no configuration folder");
    return files;
}

ProgramFiles ProgramFiles::ofThisProgram()
{
    // A checkout's program is the one in its CMake build folder (CMakeCache.txt
    // beside it), run with the checkout as the current folder. Anywhere else,
    // installed or copied, the program is an installed one: a copy must not
    // take whatever folder it is started in for its own files.
    const QString programFolder = QCoreApplication::applicationDirPath();
    if (QFileInfo::exists(programFolder + QStringLiteral("/CMakeCache.txt")))
        return inProgramDirectory(QDir::currentPath());
    const QString beside = QDir::cleanPath(programFolder + u'/' + QStringLiteral(KORVENT_SHARED_FROM_PROGRAMS));
    return installed(QFileInfo(beside).isDir() ? beside : QStringLiteral(KORVENT_SHARED_FOLDER));
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

QString ProgramFiles::namedFile(const QString &value) const
{
    if (value.isEmpty() || QDir::isAbsolutePath(value))
        return value;
    QString name = QDir::cleanPath(value);
    if (name.startsWith(checkoutFolderName + u'/'))
        name = name.mid(checkoutFolderName.size() + 1);
    return file(name);
}
