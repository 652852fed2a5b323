#include "base/TextFile.h"

#include "base/KorventError.h"
#include "base/Platform.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>

std::optional<QStringList> ReadTextLines(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QStringList lines = Platform::decodeText(file.readAll()).split(u'\n');
    for (QString &line : lines)
        if (line.endsWith(u'\r'))
            line.chop(1);
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

void WriteTextLines(const QString &fileName, const QStringList &lines)
{
    QString text;
    for (const QString &line : lines)
        text += line + QLatin1String(Platform::lineEnd);
    WriteFileBytes(fileName, Platform::encodeText(text));
}

void WriteFileBytes(const QString &fileName, const QByteArray &bytes)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) < 0 || !file.commit())
        throw KorventError(QCoreApplication::translate("TextFile", "Cannot write %1: %2").arg(fileName, file.errorString()));
}
