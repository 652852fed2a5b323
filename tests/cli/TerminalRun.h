#pragma once

// Runs korvent-cli with stdout and stderr on a pseudo-terminal, as in the
// operator's terminal window, and collects what it wrote there in order.

#include <QByteArray>
#include <QDeadlineTimer>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

struct TerminalRun
{
    int exitCode;
    QByteArray transcript;
};

inline TerminalRun runCliOnTerminal(const QString &workingDirectory, const QStringList &arguments,
                                    const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment(),
                                    unsigned short columns = 120)
{
    int terminal = -1;
    int side = -1;
    winsize size{};
    size.ws_row = 24;
    size.ws_col = columns;
    if (::openpty(&terminal, &side, nullptr, nullptr, &size) != 0)
        return {-1, QByteArrayLiteral("no pseudo-terminal")};
    // Raw: the bytes arrive as written, "\n" not turned into "\r\n".
    termios mode{};
    ::tcgetattr(side, &mode);
    ::cfmakeraw(&mode);
    ::tcsetattr(side, TCSANOW, &mode);
    ::fcntl(terminal, F_SETFL, ::fcntl(terminal, F_GETFL) | O_NONBLOCK);

    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(workingDirectory);
    process.setChildProcessModifier([side] {
        ::dup2(side, STDOUT_FILENO);
        ::dup2(side, STDERR_FILENO);
    });
    process.start(QStringLiteral(KORVENT_CLI_PATH), arguments);
    ::close(side);

    // Read while it runs: a terminal that is not read holds the writer up.
    QByteArray transcript;
    const auto drain = [&] {
        char buffer[4096];
        ssize_t got = 0;
        while ((got = ::read(terminal, buffer, sizeof buffer)) > 0)
            transcript.append(buffer, got);
    };
    const QDeadlineTimer deadline(30'000);
    while (!process.waitForFinished(20) && !deadline.hasExpired())
        drain();
    drain();
    ::close(terminal);
    return {process.exitCode(), transcript};
}
