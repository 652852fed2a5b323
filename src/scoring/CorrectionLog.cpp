#include "scoring/CorrectionLog.h"

#include "base/KorventError.h"
#include "base/TextFile.h"

#include <QCoreApplication>
#include <QFileInfo>

QString CorrectionLogFileName(const QString &eventDirectory)
{
    return eventDirectory + QStringLiteral("timelog.txt");
}

bool CorrectionLogExists(const QString &eventDirectory)
{
    return QFileInfo::exists(CorrectionLogFileName(eventDirectory));
}

QStringList LoadCorrectionLog(const QString &eventDirectory)
{
    const QString fileName = CorrectionLogFileName(eventDirectory);
    if (!QFileInfo::exists(fileName))
        return {};
    const std::optional<QStringList> lines = ReadTextLines(fileName);
    if (!lines)
        throw KorventError(QCoreApplication::translate("CorrectionLog", "Cannot read the edit log %1").arg(fileName));
    return *lines;
}

void SaveCorrectionLog(const QString &eventDirectory, const QStringList &lines)
{
    WriteTextLines(CorrectionLogFileName(eventDirectory), lines);
}

void PrependCorrectionLog(const QString &eventDirectory, const QString &line)
{
    QStringList lines = LoadCorrectionLog(eventDirectory);
    lines.prepend(line);
    SaveCorrectionLog(eventDirectory, lines);
}
