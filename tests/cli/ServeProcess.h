#pragma once

// korvent-cli serve run as a child process, and stations talking to it over loopback.

#include "CliRun.h"
#include "TestFolder.h"

#include <QDir>
#include <QProcess>
#include <QTcpSocket>
#include <QThread>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// korvent-cli serve on a system-chosen port, with its log in a file.
struct ServeProcess
{
    QProcess process;
    quint16 port = 0;

    ServeProcess(const QString &programDirectory, const QString &logFile, const QStringList &options = {})
    {
        process.setWorkingDirectory(programDirectory);
        process.setStandardOutputFile(logFile);
        process.start(QStringLiteral(KORVENT_CLI_PATH), QStringList{"--event", "event", "serve", "--port", "0"} + options);
        for (int wait = 0; port == 0 && wait < 500; ++wait) {
            QThread::msleep(10);
            const QByteArray log = readFile(logFile);
            const qsizetype at = log.indexOf("Listening on port ");
            if (at >= 0 && log.indexOf('\n', at) > at)
                port = static_cast<quint16>(log.mid(at + 18, log.indexOf('\n', at) - at - 18).toInt());
        }
    }
};

// Sends a request (none: only waits) and returns the reply line with its CR LF.
inline QByteArray exchange(QTcpSocket &socket, const QByteArray &request)
{
    if (!request.isEmpty())
        socket.write(request);
    QByteArray reply;
    while (!reply.endsWith("\r\n") && socket.waitForReadyRead(5000))
        reply += socket.readAll();
    return reply;
}

// A program folder with a generated event of three teams, and where serve logs.
struct ServedEventFixture : ::testing::Test
{
    QTemporaryDir program;
    QString event;
    QString logFile;

    void SetUp() override
    {
        event = folderOf(program) + QStringLiteral("event/");
        logFile = folderOf(program) + QStringLiteral("serve.log");
        QDir().mkpath(event);
        ASSERT_EQ(runCliIn(program.path(), {"--event", "event", "generate", "--teams", "3"}).exitCode, 0);
    }
};
