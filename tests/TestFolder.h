#pragma once

// Helpers shared by tests that work with files.

#include <QByteArray>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

inline QString folderOf(const QTemporaryDir &dir)
{
    return dir.path() + QLatin1Char('/');
}

inline void writeFile(const QString &fileName, const QByteArray &bytes)
{
    QDir().mkpath(fileName.left(fileName.lastIndexOf(QLatin1Char('/'))));
    QFile file(fileName);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

inline QByteArray readFile(const QString &fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every file and folder below `folder` (hidden ones too), each with a digest of
// its content, in order; names starting with `skipped` are left out.
inline QStringList folderContents(const QString &folder, const QString &skipped = QString())
{
    QStringList entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo entry(it.next());
        if (!skipped.isEmpty() && entry.fileName().startsWith(skipped))
            continue;
        const QByteArray digest = QCryptographicHash::hash(readFile(entry.filePath()), QCryptographicHash::Sha1).toHex();
        entries.append(entry.filePath() + QLatin1Char(' ') + (entry.isDir() ? QStringLiteral("folder") : QString::fromLatin1(digest)));
    }
    entries.sort();
    return entries;
}
