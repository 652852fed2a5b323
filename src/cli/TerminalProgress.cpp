#include "cli/TerminalProgress.h"

#include <QCoreApplication>
#include <cstdio>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

constexpr qint64 drawnEveryMs = 100;
const QByteArray clearToEnd = QByteArrayLiteral("\x1b[K");

// A line longer than the terminal wraps, and "\r" then goes back to the start
// of its last row only: the text is cut to the width (the last column left
// free, where some terminals wrap already).
qsizetype terminalWidth()
{
    winsize size{};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col - 1;
    return 79;
}

// What is being done, cut before the count is: the count is what moves.
QString progressLine(const QString &what, qint64 done, qint64 total, qsizetype width)
{
    const QString count = total > 0 ? QCoreApplication::translate("Cli", "%1 of %2").arg(done).arg(total)
                          : done > 0 ? QString::number(done)
                                     : QString();
    if (count.isEmpty())
        return what.left(width);
    const qsizetype room = width - count.size() - 2;
    return room > 0 ? what.left(room) + QStringLiteral(": ") + count : count.left(width);
}

} // namespace

TerminalProgress::TerminalProgress()
    // A terminal that knows no escape sequences would show the clearing as text.
    : m_terminal(::isatty(STDERR_FILENO) == 1 && qgetenv("TERM") != "dumb")
{
}

TerminalProgress::~TerminalProgress()
{
    clear();
}

void TerminalProgress::step(const QString &what, qint64 done, qint64 total)
{
    if (!m_terminal || (m_sinceDrawn.isValid() && m_sinceDrawn.elapsed() < drawnEveryMs))
        return;
    m_sinceDrawn.start();
    write('\r' + progressLine(what, done, total, terminalWidth()).toLocal8Bit() + clearToEnd);
    m_shown = true;
}

void TerminalProgress::clear()
{
    if (!m_shown)
        return;
    write('\r' + clearToEnd);
    m_shown = false;
}

void TerminalProgress::write(const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
    std::fflush(stderr);
}
