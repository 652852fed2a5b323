#include "base/FilesTogether.h"

#include "base/KorventError.h"
#include "base/TextFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <fcntl.h>
#include <map>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(TextFile)
};

KorventError cannotWrite(const QString &fileName, int error)
{
    return KorventError(Texts::tr("Cannot write %1: %2").arg(fileName, qt_error_string(error)));
}

// Where the file is replaced: at a link, the file it leads to (as WriteFileBytes does).
QString replacedName(const QString &fileName)
{
    const QFileInfo info(fileName);
    if (!info.isSymLink())
        return fileName;
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.symLinkTarget() : canonical;
}

struct Folder
{
    int descriptor = -1;
    QString name;
    QString firstFile; // named in an error of the whole folder
};

struct Written
{
    const Folder *folder;
    QByteArray temporary;
    QByteArray target;
    QString fileName;
};

// The folders opened and the temporary files not yet in place, removed
// when the set stops before its renames.
struct Session
{
    std::map<QString, Folder> folders;
    std::vector<Written> written;
    size_t placed = 0;

    ~Session()
    {
        for (size_t i = placed; i < written.size(); ++i)
            ::unlinkat(written[i].folder->descriptor, written[i].temporary.constData(), 0);
        for (const auto &[name, folder] : folders)
            ::close(folder.descriptor);
    }

    const Folder &folderOf(const QString &target, const QString &fileName)
    {
        const QString name = QFileInfo(target).absolutePath();
        const auto known = folders.find(name);
        if (known != folders.end())
            return known->second;
        // Only a folder is opened here (O_DIRECTORY refuses anything else
        // before opening it): never a file of the database.
        const int descriptor = ::open(QFile::encodeName(name).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (descriptor < 0)
            throw cannotWrite(fileName, errno);
        return folders.emplace(name, Folder{descriptor, name, fileName}).first->second;
    }
};

// 0, or the error that stopped the writing.
int writeAll(int descriptor, const QByteArray &bytes)
{
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t done = ::write(descriptor, data, static_cast<size_t>(left));
        if (done < 0 && errno == EINTR)
            continue;
        if (done < 0)
            return errno;
        if (done == 0)
            return ENOSPC;
        data += done;
        left -= done;
    }
    return 0;
}

// A new temporary file beside the target, kept short whatever the target's name.
int createTemporary(const Folder &folder, const QString &target, QByteArray &temporary)
{
    const QString stem = QFileInfo(target).fileName().left(40);
    for (int attempt = 0;; ++attempt) {
        temporary = QFile::encodeName(u'.' + stem + u'.' + QString::number(QRandomGenerator::global()->generate(), 16)
                                      + QStringLiteral(".tmp"));
        const int descriptor = ::openat(folder.descriptor, temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor >= 0 || errno != EEXIST || attempt == 100)
            return descriptor;
    }
}

void writeTemporary(Session &session, const QString &fileName, const QString &target, const QByteArray &bytes)
{
    const Folder &folder = session.folderOf(target, fileName);
    const QByteArray name = QFile::encodeName(QFileInfo(target).fileName());
    const long longest = ::fpathconf(folder.descriptor, _PC_NAME_MAX);
    if (longest > 0 && name.size() > longest)
        throw cannotWrite(fileName, ENAMETOOLONG);
    QByteArray temporary;
    const int descriptor = createTemporary(folder, target, temporary);
    if (descriptor < 0)
        throw cannotWrite(fileName, errno);
    session.written.push_back({&folder, temporary, name, fileName});
    // A replaced file keeps its permissions.
    struct stat existing;
    int error = 0;
    if (::fstatat(folder.descriptor, name.constData(), &existing, 0) == 0 && S_ISREG(existing.st_mode)
        && ::fchmod(descriptor, existing.st_mode & 07777) != 0)
        error = errno;
    if (!error)
        error = writeAll(descriptor, bytes);
    if (::close(descriptor) != 0 && !error)
        error = errno;
    if (error)
        throw cannotWrite(fileName, error);
}

} // namespace

void WriteFilesTogether(const std::vector<FileBytes> &files, const std::function<void()> &beforeWriting)
{
    std::vector<QString> targets;
    targets.reserve(files.size());
    for (const FileBytes &file : files) {
        RefuseUnwritableFile(file.fileName);
        targets.push_back(replacedName(file.fileName));
        const QFileInfo target(targets.back());
        if (target.isDir())
            throw KorventError(Texts::tr("Cannot write %1: it is a folder").arg(file.fileName));
        if (target.exists() && !target.isWritable())
            throw KorventError(Texts::tr("Cannot write %1: it is read-only").arg(file.fileName));
    }
    if (beforeWriting)
        beforeWriting();

    Session session;
    for (size_t i = 0; i < files.size(); ++i)
        writeTemporary(session, files[i].fileName, targets[i], files[i].bytes);

    // One flush for the whole set, not one per file: each fdatasync of a new
    // file commits the file system's journal and flushes the disk's cache,
    // which for the 9,000 to 19,000 pages of a large web report cost more than
    // writing them (flushing them in groups of open files saved little).
    // syncfs writes every file of the folder's file system to disk through the
    // folder's own descriptor, so no file of the database is ever opened; it
    // also waits for what other programs have not written yet, a price paid
    // once per set. It reports a write that failed since that descriptor was
    // opened, which is why each folder is opened before its first file is written.
    std::set<dev_t> flushed;
    for (const auto &[name, folder] : session.folders) {
        struct stat status;
        if (::fstat(folder.descriptor, &status) != 0)
            throw cannotWrite(folder.firstFile, errno);
        if (flushed.insert(status.st_dev).second && ::syncfs(folder.descriptor) != 0)
            throw cannotWrite(folder.firstFile, errno);
    }

    // A rename replaces a file at once; one that fails here (another program
    // put a folder at the name meanwhile) leaves the files before it replaced.
    for (; session.placed < session.written.size(); ++session.placed) {
        const Written &file = session.written[session.placed];
        if (::renameat(file.folder->descriptor, file.temporary.constData(), file.folder->descriptor, file.target.constData()) != 0)
            throw cannotWrite(file.fileName, errno);
    }
    // The renames are on disk too once each folder is.
    for (const auto &[name, folder] : session.folders)
        if (::fsync(folder.descriptor) != 0)
            throw cannotWrite(name, errno);
}
