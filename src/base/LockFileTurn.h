#pragma once

// A turn on a file that several programs read, change and write whole: a
// lock file beside it, held for as long as this object lives. A lock left
// by a program that died is taken over.

#include <QLockFile>
#include <QString>

class LockFileTurn
{
public:
    // Waits up to waitMs for the turn. Raises KorventError, its message
    // starting with `what`, saying why there is none: another program kept
    // the lock that long, or the lock file could not be made (with the
    // system's reason: a full disk, no permission, a missing folder).
    LockFileTurn(const QString &lockFileName, int waitMs, const QString &what);

private:
    QLockFile m_lock;
};
