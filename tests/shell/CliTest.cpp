#include "../TestFolder.h"

#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

struct CliRun
{
    int exitCode;
    QString out;
    QString err;
};

CliRun runCli(const QString &workingDirectory, const QStringList &arguments)
{
    QProcess process;
    process.setWorkingDirectory(workingDirectory);
    process.start(QStringLiteral(KORVENT_CLI_PATH), arguments);
    process.waitForFinished(30'000);
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}

} // namespace

TEST(Cli, InfoOpensOrCreatesTheEventLikeTheApplication)
{
    QTemporaryDir program;
    QDir().mkpath(folderOf(program) + QStringLiteral("event"));
    const CliRun run = runCli(program.path(), {"--event", "event", "info"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(QRegularExpression(QStringLiteral("^Database: SQLite 3\\.\\d+"))))
        << run.out.toStdString();
    for (const char *table : {"team: 0 rows", "runner: 0 rows", "control: 0 rows", "res_cp: 0 rows", "extrapoint: 0 rows"})
        EXPECT_TRUE(run.out.contains(QLatin1String(table))) << table;
    EXPECT_TRUE(run.out.contains(QStringLiteral("EventDirectory: event/")));
    EXPECT_TRUE(run.out.contains(QStringLiteral("ResultsDirectory: event/results/")));
    EXPECT_TRUE(QFile::exists(folderOf(program) + QStringLiteral("event/rogain.abs")));
    EXPECT_TRUE(QFile::exists(folderOf(program) + QStringLiteral("setup.ini")));
}

TEST(Cli, ErrorsGoToStderrWithNonZeroExit)
{
    QTemporaryDir program;
    const CliRun missing = runCli(program.path(), {"--event", "nowhere", "info"});
    EXPECT_NE(missing.exitCode, 0);
    EXPECT_TRUE(missing.err.contains(QLatin1String("Event directory is missing"))) << missing.err.toStdString();
    EXPECT_TRUE(missing.out.isEmpty());

    QDir().mkpath(folderOf(program) + QStringLiteral("event"));
    writeFile(folderOf(program) + QStringLiteral("event/rogain.abs"), "not a database at all, just some text");
    const CliRun broken = runCli(program.path(), {"--event", "event", "info"});
    EXPECT_NE(broken.exitCode, 0);
    EXPECT_TRUE(broken.err.contains(QLatin1String("rogain.abs"))) << broken.err.toStdString();
    EXPECT_EQ(readFile(folderOf(program) + QStringLiteral("event/rogain.abs")), QByteArray("not a database at all, just some text"));

    EXPECT_NE(runCli(program.path(), {"--event", "event", "no-such-command"}).exitCode, 0);
    EXPECT_NE(runCli(program.path(), {"info"}).exitCode, 0);
}
