#include "base/TextFile.h"

#include "base/GuardedFiles.h"
#include "base/KorventError.h"
#include "base/Platform.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

std::optional<QByteArray> ReadPlainFile(const QString &fileName)
{
    GuardedFiles::refuse(fileName, GuardedFiles::Access::Read);
    QFile file(fileName);
    if (!QFileInfo(fileName).isFile() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

QByteArray ReadFileBytes(const QString &fileName)
{
    GuardedFiles::refuse(fileName, GuardedFiles::Access::Read);
    const QFileInfo info(fileName);
    if (info.exists() && !info.isFile())
        throw KorventError(QCoreApplication::translate("TextFile", "Cannot read %1: it is not a plain file").arg(fileName));
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw KorventError(QCoreApplication::translate("TextFile", "Cannot read %1: %2").arg(fileName, file.errorString()));
    return file.readAll();
}

std::optional<std::vector<TextLine>> ReadTextLinesWithBytes(const QString &fileName)
{
    const std::optional<QByteArray> read = ReadPlainFile(fileName);
    if (!read)
        return std::nullopt;
    const QByteArray &content = *read;
    std::vector<TextLine> lines;
    // The program's encodings write ASCII as ASCII, so a line ends at the byte '\n'.
    for (qsizetype start = 0; start < content.size();) {
        const qsizetype newline = content.indexOf('\n', start);
        const qsizetype end = newline < 0 ? content.size() : newline + 1;
        QByteArray bytes = content.mid(start, end - start);
        QByteArrayView text(bytes);
        if (text.endsWith('\n'))
            text.chop(1);
        if (text.endsWith('\r'))
            text.chop(1);
        lines.push_back(TextLine{Platform::decodeText(text.toByteArray()), std::move(bytes)});
        start = end;
    }
    return lines;
}

std::optional<QStringList> ReadTextLines(const QString &fileName)
{
    const std::optional<std::vector<TextLine>> lines = ReadTextLinesWithBytes(fileName);
    if (!lines)
        return std::nullopt;
    QStringList texts;
    for (const TextLine &line : *lines)
        texts.append(line.text);
    return texts;
}

QString TextOfLines(const QStringList &lines)
{
    QString text;
    for (const QString &line : lines)
        text += line + QLatin1String(Platform::lineEnd);
    return text;
}

void WriteTextLines(const QString &fileName, const QStringList &lines)
{
    WriteFileBytes(fileName, Platform::encodeText(TextOfLines(lines)));
}

void RefuseUnwritableFile(const QString &fileName)
{
    // The whole file is swapped in by a rename: a device or a pipe of that
    // name would be replaced by a plain file, never written to.
    GuardedFiles::refuse(fileName, GuardedFiles::Access::Write);
    const QFileInfo target(fileName);
    if (target.exists() && !target.isFile() && !target.isDir())
        throw KorventError(QCoreApplication::translate("TextFile", "Cannot write %1: it is not a plain file").arg(fileName));
}

void WriteFileBytes(const QString &fileName, const QByteArray &bytes)
{
    RefuseUnwritableFile(fileName);
    QSaveFile file(fileName);
    // The bytes are flushed before the commit: a write refused at the flush
    // (a full disk) would otherwise not stop the commit from replacing the
    // file by a cut one.
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) < 0 || !file.flush() || !file.commit())
        throw KorventError(QCoreApplication::translate("TextFile", "Cannot write %1: %2").arg(fileName, file.errorString()));
}
