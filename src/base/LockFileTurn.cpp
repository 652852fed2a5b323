#include "base/LockFileTurn.h"

#include "base/KorventError.h"

#include <QCoreApplication>
#include <QFile>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(LockFileTurn)
};

// QLockFile keeps the system's reason to itself: making the file once more
// the same way (created new, a few bytes written) brings it out.
QString reasonTheFileCannotBeMade(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return file.errorString();
    const bool written = file.write("0\n") == 2 && file.flush();
    const QString reason = written ? Texts::tr("unknown reason") : file.errorString();
    file.close();
    file.remove();
    return reason;
}

} // namespace

LockFileTurn::LockFileTurn(const QString &lockFileName, int waitMs, const QString &what)
    : m_lock(lockFileName)
{
    if (m_lock.tryLock(waitMs))
        return;
    if (m_lock.error() == QLockFile::LockFailedError)
        throw KorventError(what + QStringLiteral(": ") + Texts::tr("another program kept it locked for %1 seconds").arg(waitMs / 1000));
    throw KorventError(what + QStringLiteral(": ")
                       + Texts::tr("cannot make the lock file %1: %2").arg(lockFileName, reasonTheFileCannotBeMade(lockFileName)));
}
