#pragma once

// What the readout benchmarks share: their options, a `korvent-cli serve`
// child process on a system-chosen port, and the station's side of its lines.

#include "BenchOptions.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTcpSocket>
#include <QThread>

// One line with its CR LF; what had come when the time ran out otherwise.
inline QByteArray readLine(QTcpSocket &socket, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    QByteArray line;
    while (!line.endsWith("\r\n")) {
        if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(static_cast<int>(deadline.remainingTime())))
            return line;
        line += socket.read(1);
    }
    return line;
}

// The server's log goes to a file: nobody reads a pipe while the stations run.
inline QString serverLogFile(const QString &folder)
{
    return folder + QStringLiteral("/server.log");
}

// Starts `korvent-cli --event EVENT serve --port 0 OPTIONS` in `folder`, its
// log in serverLogFile(folder), and returns the port it listens on; 0 when it
// stopped or did not listen within 30 seconds.
inline quint16 startServe(QProcess &server, const QString &folder, const QString &event, const QStringList &options, const QString &errorFile = {})
{
    server.setStandardOutputFile(serverLogFile(folder));
    if (!errorFile.isEmpty())
        server.setStandardErrorFile(errorFile);
    server.setWorkingDirectory(folder);
    server.start(QStringLiteral(KORVENT_CLI_PATH),
                 QStringList{QStringLiteral("--event"), event, QStringLiteral("serve"), QStringLiteral("--port"), QStringLiteral("0")} + options);
    for (int wait = 0; wait < 3000 && server.state() != QProcess::NotRunning; ++wait) {
        QThread::msleep(10);
        QFile log(serverLogFile(folder));
        if (log.open(QIODevice::ReadOnly))
            for (const QByteArray &line : log.readAll().split('\n'))
                if (line.startsWith("Listening on port "))
                    return static_cast<quint16>(line.mid(18).trimmed().toInt());
    }
    return 0;
}
