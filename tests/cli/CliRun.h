#pragma once

// Runs the korvent-cli program and collects what it printed.

#include <QProcess>
#include <QString>
#include <QStringList>

struct CliRun
{
    int exitCode;
    QString out;
    QString err;
};

inline CliRun runCliIn(const QString &workingDirectory, const QStringList &arguments,
                       const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(workingDirectory);
    process.start(QStringLiteral(KORVENT_CLI_PATH), arguments);
    process.waitForFinished(30'000);
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}
