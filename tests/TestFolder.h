#pragma once

// Helpers shared by tests that work with files.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
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
