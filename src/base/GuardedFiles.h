#pragma once

// Files this process opens only through SQLite: every database file a
// connection has open, with the files SQLite keeps beside it (-wal, -shm,
// -journal). Closing any descriptor of a file drops every POSIX lock the
// process holds on it; another process then takes the database for unused
// and removes its write-ahead log under the running program. So a file named
// by the operator or a settings file is checked here before it is read or
// written. Files are compared by device and inode with stat, links followed:
// nothing is opened to find out.

#include <QString>
#include <QStringList>

namespace GuardedFiles {

// The database file and the files SQLite keeps beside it.
QStringList databaseFiles(const QString &databaseFile);

// Guards the database's files while a connection has it open (counted per
// connection, so the last one to close ends the guard).
void addDatabase(const QString &databaseFile);
void removeDatabase(const QString &databaseFile);
// A connection has the file open: the first one notes which file that is.
void opened(const QString &databaseFile);

// Both names reach the same existing file.
bool sameFile(const QString &first, const QString &second);
// The first of `files` that `path` reaches; empty when none.
QString sameFileAmong(const QString &path, const QStringList &files);
// The guarded file that `path` reaches; empty when none.
QString guardedFileAt(const QString &path);

// The file of the database (itself, its -wal or -shm) that this process has
// open but that is no longer the one at its name: another program deleted or
// replaced it. Empty while all are in place (or none is open).
QString replacedDatabaseFile(const QString &databaseFile);

enum class Access { Read, Write };
// Raises KorventError naming the file when it reaches a guarded file.
void refuse(const QString &fileName, Access access);

} // namespace GuardedFiles
