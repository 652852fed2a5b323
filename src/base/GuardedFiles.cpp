#include "base/GuardedFiles.h"

#include "base/KorventError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <map>
#include <optional>
#include <sys/stat.h>

namespace GuardedFiles {

namespace {

struct FileIdentity
{
    dev_t device;
    ino_t inode;
};

struct OpenDatabase
{
    int connections = 0;
    // The file the first connection opened; later ones must reach it too.
    std::optional<FileIdentity> file;
};

QMutex registryLock;
// By database file (absolute path).
std::map<QString, OpenDatabase> openDatabases;

std::optional<FileIdentity> identityOf(const QString &path)
{
    struct stat status;
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &status) != 0)
        return std::nullopt;
    return FileIdentity{status.st_dev, status.st_ino};
}

} // namespace

QStringList databaseFiles(const QString &databaseFile)
{
    QStringList files;
    for (const char *suffix : {"", "-wal", "-shm", "-journal"})
        files.append(databaseFile + QLatin1String(suffix));
    return files;
}

void addDatabase(const QString &databaseFile)
{
    QMutexLocker lock(&registryLock);
    ++openDatabases[QFileInfo(databaseFile).absoluteFilePath()].connections;
}

void opened(const QString &databaseFile)
{
    QMutexLocker lock(&registryLock);
    OpenDatabase &entry = openDatabases[QFileInfo(databaseFile).absoluteFilePath()];
    if (!entry.file)
        entry.file = identityOf(databaseFile);
}

void removeDatabase(const QString &databaseFile)
{
    QMutexLocker lock(&registryLock);
    const auto entry = openDatabases.find(QFileInfo(databaseFile).absoluteFilePath());
    if (entry != openDatabases.end() && --entry->second.connections <= 0)
        openDatabases.erase(entry);
}

bool sameFile(const QString &first, const QString &second)
{
    const std::optional<FileIdentity> a = identityOf(first);
    const std::optional<FileIdentity> b = a ? identityOf(second) : std::nullopt;
    return a && b && a->device == b->device && a->inode == b->inode;
}

QString sameFileAmong(const QString &path, const QStringList &files)
{
    const std::optional<FileIdentity> target = identityOf(path);
    if (!target)
        return QString();
    for (const QString &file : files) {
        const std::optional<FileIdentity> candidate = identityOf(file);
        if (candidate && candidate->device == target->device && candidate->inode == target->inode)
            return file;
    }
    return QString();
}

QString guardedFileAt(const QString &path)
{
    QStringList guarded;
    {
        QMutexLocker lock(&registryLock);
        for (const auto &[databaseFile, open] : openDatabases)
            guarded += databaseFiles(databaseFile);
    }
    return sameFileAmong(path, guarded);
}

QString replacedDatabaseFile(const QString &databaseFile)
{
    {
        QMutexLocker lock(&registryLock);
        const auto entry = openDatabases.find(QFileInfo(databaseFile).absoluteFilePath());
        if (entry != openDatabases.end() && entry->second.file) {
            const std::optional<FileIdentity> now = identityOf(databaseFile);
            if (!now || now->device != entry->second.file->device || now->inode != entry->second.file->inode)
                return databaseFile;
        }
    }
    // The kernel names the file behind each descriptor, " (deleted)" added
    // once it is gone; names are given with links resolved.
    const QFileInfo database(databaseFile);
    const QString folder = QFileInfo(database.absolutePath()).canonicalFilePath();
    if (folder.isEmpty())
        return databaseFile;
    const QStringList files = databaseFiles(folder + u'/' + database.fileName());
    const QString deleted = QStringLiteral(" (deleted)");
    const QDir descriptors(QStringLiteral("/proc/self/fd"));
    for (const QString &entry : descriptors.entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot)) {
        QString target = QFileInfo(descriptors.filePath(entry)).symLinkTarget();
        if (target.endsWith(deleted))
            target.chop(deleted.size());
        if (!files.contains(target))
            continue;
        struct stat open;
        if (::fstat(entry.toInt(), &open) != 0)
            continue; // closed meanwhile by another thread
        const std::optional<FileIdentity> named = identityOf(target);
        if (!named || named->device != open.st_dev || named->inode != open.st_ino)
            return target;
    }
    return QString();
}

void refuse(const QString &fileName, Access access)
{
    const QString guarded = guardedFileAt(fileName);
    if (guarded.isEmpty())
        return;
    const QString reason = QCoreApplication::translate("GuardedFiles", "it is the event's database");
    throw KorventError((access == Access::Read ? QCoreApplication::translate("GuardedFiles", "Cannot read %1: %2")
                                               : QCoreApplication::translate("GuardedFiles", "Cannot write %1: %2"))
                           .arg(fileName, reason));
}

} // namespace GuardedFiles
