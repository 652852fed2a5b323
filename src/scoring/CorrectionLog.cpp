#include "scoring/CorrectionLog.h"

#include "base/KorventError.h"
#include "base/LockFileTurn.h"
#include "base/Platform.h"
#include "base/TextFile.h"
#include "store/EventRecords.h"

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

// The log's lines, for a writer: a log that cannot be read, or that is not text
// in the program's encoding (UTF-16, binary, another code page), raises
// KorventError naming it, so that its old lines are never written back garbled.
QStringList writableLog(const QString &eventDirectory)
{
    const QString fileName = CorrectionLogFileName(eventDirectory);
    if (!QFileInfo::exists(fileName))
        return {};
    const std::optional<std::vector<TextLine>> lines = ReadTextLinesWithBytes(fileName);
    if (!lines)
        throw KorventError(Texts::tr("Cannot read the edit log %1").arg(fileName));
    QStringList texts;
    for (qsizetype i = 0; i < static_cast<qsizetype>(lines->size()); ++i) {
        const TextLine &line = lines->at(static_cast<size_t>(i));
        QByteArray bytes = line.bytes;
        if (bytes.endsWith('\n'))
            bytes.chop(1);
        if (bytes.endsWith('\r'))
            bytes.chop(1);
        // Text of the encoding reads back to the same bytes (a UTF-8 byte-order
        // mark, read over, aside); NUL bytes are no text of any plain file.
        const QByteArray encoded = Platform::encodeText(line.text);
        const bool sameText = encoded == bytes || (i == 0 && bytes == QByteArray("\xEF\xBB\xBF") + encoded);
        if (bytes.contains('\0') || !sameText)
            throw KorventError(Texts::tr("Cannot write the edit log %1: line %2 is not text in %3 (the file may be UTF-16 or binary); "
                                         "save it as %3 text or move it away")
                                   .arg(fileName)
                                   .arg(i + 1)
                                   .arg(Platform::textEncoding()));
        texts.append(line.text);
    }
    return texts;
}

// The operator's edit of the log shown, over the log as it is now: lines put
// at the top since it was shown stay above the edit.
QStringList mergedLog(const QStringList &current, const QStringList &shown, const QStringList &edited)
{
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
    return lines + edited;
}

} // namespace

QStringList LoadCorrectionLog(const QString &eventDirectory)
{
    if (const EventRecords records(eventDirectory); records.server())
        return records.loadServerLog();
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
    // The writers' turn is taken once too: a folder that refuses its lock file
    // (a seat's folder made read-only) would refuse the line after the correction.
    { const LogWriterTurn turn(eventDirectory); }
    RefuseUnwritableFile(CorrectionLogFileName(eventDirectory));
    writableLog(eventDirectory);
}

bool ShareCorrectionLogLine(const QString &eventDirectory, const QString &line)
{
    const EventRecords records(eventDirectory);
    if (records.server())
        records.prependServerLog(line);
    return records.server().has_value();
}

void PrependCorrectionLog(const QString &eventDirectory, const QString &line)
{
    const LogWriterTurn turn(eventDirectory);
    QStringList lines = writableLog(eventDirectory);
    lines.prepend(line);
    WriteTextLines(CorrectionLogFileName(eventDirectory), lines);
}

QStringList MergeCorrectionLog(const QString &eventDirectory, const QStringList &shown, const QStringList &edited)
{
    const LogWriterTurn turn(eventDirectory);
    const QStringList current = writableLog(eventDirectory);
    // On a server the shared log is merged; the seat's file gets what it became.
    const EventRecords records(eventDirectory);
    const QStringList lines = records.server()
        ? records.mergeServerLog([&](const QStringList &shared) { return mergedLog(shared, shown, edited); })
        : mergedLog(current, shown, edited);
    WriteTextLines(CorrectionLogFileName(eventDirectory), lines);
    return lines;
}
