#include "db/WaitingWriterSign.h"

#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <fcntl.h>
#include <unistd.h>

namespace db {

namespace {

bool lockFirstByte(int file, short type)
{
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 1;
    return fcntl(file, F_SETLK, &lock) == 0;
}

bool signUpElsewhere(int file)
{
    struct flock lock {};
    lock.l_type = F_RDLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 1;
    return fcntl(file, F_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
}

} // namespace

WaitingWriterSign::WaitingWriterSign(const QString &databaseFile)
    : m_fileName(databaseFile + QStringLiteral("-wait"))
{
}

bool WaitingWriterSign::opened()
{
    if (m_file < 0 && !m_failed) {
        m_file = ::open(QFile::encodeName(m_fileName).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        m_failed = m_file < 0;
    }
    return m_file >= 0;
}

WaitingWriterSign::~WaitingWriterSign()
{
    if (m_file >= 0)
        ::close(m_file);
}

void WaitingWriterSign::raise()
{
    if (!m_raised && opened())
        m_raised = lockFirstByte(m_file, F_WRLCK);
}

void WaitingWriterSign::lower()
{
    if (!m_raised)
        return;
    m_raised = false;
    lockFirstByte(m_file, F_UNLCK);
}

void WaitingWriterSign::giveWay(int mostMs)
{
    if (!opened() || !signUpElsewhere(m_file))
        return;
    QElapsedTimer waiting;
    waiting.start();
    // The waiting writer tries the lock every half millisecond: it is in long before this ends.
    while (waiting.elapsed() < mostMs && signUpElsewhere(m_file))
        QThread::usleep(200);
}

} // namespace db
