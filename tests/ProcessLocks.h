#pragma once

// This process's POSIX locks as the kernel lists them in /proc/locks, to show
// that nothing opened and closed a file SQLite holds (which drops them all).

#include <QByteArray>
#include <QFile>
#include <QStringList>
#include <gtest/gtest.h>
#include <unistd.h>

// One entry per lock: kind, device:inode and byte range, sorted.
inline QStringList ownLocks()
{
    QFile file(QStringLiteral("/proc/locks"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray pid = QByteArray::number(::getpid());
    QStringList locks;
    for (const QByteArray &line : file.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        // "1: POSIX  ADVISORY  READ  1234 08:01:5678 128 128"; waiters ("1: -> POSIX ...") hold nothing.
        if (fields.size() >= 8 && fields.at(1) == "POSIX" && fields.at(4) == pid)
            locks.append(QString::fromLatin1(fields.at(3) + ' ' + fields.at(5) + ' ' + fields.at(6) + ' ' + fields.at(7)));
    }
    locks.sort();
    return locks;
}

// Every lock of `before` is held still (SQLite may take others meanwhile).
inline ::testing::AssertionResult locksKept(const QStringList &before)
{
    const QStringList now = ownLocks();
    for (const QString &lock : before)
        if (!now.contains(lock))
            return ::testing::AssertionFailure() << "lost the lock " << lock.toStdString() << " of " << before.join(u',').toStdString();
    return ::testing::AssertionSuccess();
}
