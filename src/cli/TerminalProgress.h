#pragma once

// The progress line of a long command, on stderr when that is a terminal:
// "\r", the text and a clear to the end of the line, so that each step
// overwrites the last, drawn at most ten times a second and wiped before the
// command prints anything else. When stderr is no terminal (a pipe, a file)
// or a terminal without escape sequences (TERM=dumb), it writes nothing at
// all: scripts see the command's output alone.

#include "base/WorkProgress.h"

#include <QElapsedTimer>

class TerminalProgress final : public WorkProgress
{
public:
    TerminalProgress();
    // Wipes the line: an error raised through the command is printed on a clean one.
    ~TerminalProgress() override;
    TerminalProgress(const TerminalProgress &) = delete;
    TerminalProgress &operator=(const TerminalProgress &) = delete;

    void step(const QString &what, qint64 done, qint64 total) override;
    // Wipes the line, if one is shown; the next step draws it again.
    void clear();

private:
    void write(const QByteArray &bytes);

    const bool m_terminal;
    bool m_shown = false;
    QElapsedTimer m_sinceDrawn;
};
