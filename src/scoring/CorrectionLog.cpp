#include "scoring/CorrectionLog.h"

#include "base/KorventError.h"
#include "base/LockFileTurn.h"
#include "base/TextFile.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(CorrectionLog)
};

// Writers of the log take turns (the window and commands of other
// processes): a line put at the top while another writer read the old log
// would be lost with its write.
class LogWriterTurn
{
public:
    explicit LogWriterTurn(const QString &eventDirectory)
        : m_turn(CorrectionLogFileName(eventDirectory) + QStringLiteral(".lock"), waitMs,
                 Texts::tr("Cannot write the edit log %1").arg(CorrectionLogFileName(eventDirectory)))
    {
    }

private:
    static constexpr int waitMs = 10'000;
    LockFileTurn m_turn;
};

} // namespace

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
        throw KorventError(Texts::tr("Cannot read the edit log %1").arg(fileName));
    return *lines;
}

void RefuseUnwritableCorrectionLog(const QString &eventDirectory)
{
    RefuseUnwritableFile(CorrectionLogFileName(eventDirectory));
}

void PrependCorrectionLog(const QString &eventDirectory, const QString &line)
{
    const LogWriterTurn turn(eventDirectory);
    QStringList lines = LoadCorrectionLog(eventDirectory);
    lines.prepend(line);
    WriteTextLines(CorrectionLogFileName(eventDirectory), lines);
}

QStringList MergeCorrectionLog(const QString &eventDirectory, const QStringList &shown, const QStringList &edited)
{
    const LogWriterTurn turn(eventDirectory);
    const QStringList current = LoadCorrectionLog(eventDirectory);
    QStringList lines;
    const qsizetype added = current.size() - shown.size();
    if (added >= 0 && current.mid(added) == shown) {
        lines = current.first(added);
    } else {
        // Rewritten meanwhile: every line the edit lacks is kept.
        for (const QString &line : current)
            if (!edited.contains(line))
                lines.append(line);
    }
    lines += edited;
    WriteTextLines(CorrectionLogFileName(eventDirectory), lines);
    return lines;
}
