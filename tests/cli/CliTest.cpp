#include "ServeProcess.h"
#include "EventRows.h"

#include "store/EventSchema.h"
#include "store/EventSettings.h"
#include "store/uData.h"

#include <QLockFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

TEST(Cli, InfoOpensOrCreatesTheEventLikeTheApplication)
{
    QTemporaryDir program;
    QDir().mkpath(folderOf(program) + QStringLiteral("event"));
    const CliRun run = runCliIn(program.path(), {"--event", "event", "info"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(QRegularExpression(QStringLiteral("^Database: SQLite 3\\.\\d+"))))
        << run.out.toStdString();
    EXPECT_TRUE(run.out.contains(QStringLiteral("\nDatabase version: %1\n").arg(EventSchemaVersion))) << run.out.toStdString();
    for (const char *table : {"team: 0 rows", "runner: 0 rows", "control: 0 rows", "res_cp: 0 rows", "extrapoint: 0 rows"})
        EXPECT_TRUE(run.out.contains(QLatin1String(table))) << table;
    EXPECT_TRUE(run.out.contains(QStringLiteral("EventDirectory: event/")));
    EXPECT_TRUE(run.out.contains(QStringLiteral("ResultsDirectory: event/results/")));
    EXPECT_TRUE(QFile::exists(folderOf(program) + QStringLiteral("event/rogain.abs")));
    EXPECT_TRUE(QFile::exists(folderOf(program) + QStringLiteral("setup.ini")));
}

TEST(Cli, ASuccessfulCommandWritesNothingToStderrOutsideASession)
{
    // cron and ssh give no XDG_RUNTIME_DIR; scripts take anything on stderr for trouble.
    QTemporaryDir program;
    QDir().mkpath(folderOf(program) + QStringLiteral("event"));
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(program.path());
    process.start(QStringLiteral(KORVENT_CLI_PATH), {"--event", "event", "info"});
    ASSERT_TRUE(process.waitForFinished(30'000));
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_EQ(process.readAllStandardError(), QByteArray());
}

TEST(Cli, ErrorsGoToStderrWithNonZeroExit)
{
    QTemporaryDir program;
    const CliRun missing = runCliIn(program.path(), {"--event", "nowhere", "info"});
    EXPECT_NE(missing.exitCode, 0);
    EXPECT_TRUE(missing.err.contains(QStringLiteral("Event directory is missing: ") + folderOf(program) + QStringLiteral("nowhere")))
        << missing.err.toStdString();
    EXPECT_TRUE(missing.out.isEmpty());

    QDir().mkpath(folderOf(program) + QStringLiteral("event"));
    writeFile(folderOf(program) + QStringLiteral("event/rogain.abs"), "not a database at all, just some text");
    const CliRun broken = runCliIn(program.path(), {"--event", "event", "info"});
    EXPECT_NE(broken.exitCode, 0);
    EXPECT_TRUE(broken.err.contains(QLatin1String("rogain.abs"))) << broken.err.toStdString();
    EXPECT_EQ(readFile(folderOf(program) + QStringLiteral("event/rogain.abs")), QByteArray("not a database at all, just some text"));

    EXPECT_NE(runCliIn(program.path(), {"--event", "event", "no-such-command"}).exitCode, 0);
    EXPECT_NE(runCliIn(program.path(), {"info"}).exitCode, 0);
}

TEST(Cli, InfoRefusesTheDatabaseOfAnotherProgramUntouched)
{
    // The second shares the names of two tables with an event, not their fields.
    for (const char *schema : {"CREATE TABLE invoice (id INTEGER PRIMARY KEY, total REAL);"
                               "CREATE TABLE customer (id INTEGER PRIMARY KEY, name TEXT);",
                               "CREATE TABLE team (id INTEGER PRIMARY KEY, name TEXT, manager TEXT);"
                               "CREATE TABLE control (id INTEGER PRIMARY KEY, machine TEXT);"
                               "INSERT INTO team (name) VALUES ('Sales');"}) {
        QTemporaryDir program;
        const QString file = folderOf(program) + QStringLiteral("event/rogain.abs");
        QDir().mkpath(folderOf(program) + QStringLiteral("event"));
        QProcess shell;
        shell.start(QStringLiteral("sqlite3"), {file, QLatin1String(schema)});
        ASSERT_TRUE(shell.waitForFinished(10'000));
        ASSERT_EQ(shell.exitCode(), 0);
        const QByteArray content = readFile(file);

        const CliRun run = runCliIn(program.path(), {"--event", "event", "info"});
        EXPECT_NE(run.exitCode, 0) << schema;
        EXPECT_TRUE(run.err.contains(QLatin1String("rogain.abs")) && run.err.contains(QLatin1String("another program")))
            << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_EQ(readFile(file), content) << schema;
        EXPECT_FALSE(QFile::exists(file + QStringLiteral("-wal")));
        // Nothing is made in a folder that is no event's.
        EXPECT_EQ(QDir(folderOf(program) + QStringLiteral("event")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                  QStringList{QStringLiteral("rogain.abs")});
    }
}

TEST(Cli, CommandsLeaveTheProgramSettingsAsTheyFoundThem)
{
    QTemporaryDir program;
    QDir().mkpath(folderOf(program) + QStringLiteral("event"));
    const QString settings = folderOf(program) + QStringLiteral("setup.ini");
    const QByteArray binary = QByteArrayLiteral("\x00\xff\xfe\x81\r\n[event]\r\ndir=event\r\n\x00\x9d\xa0");
    writeFile(settings, binary);
    for (const char *command : {"info", "settings", "classes"})
        EXPECT_EQ(runCliIn(program.path(), {"--event", "event", command}).exitCode, 0) << command;
    EXPECT_EQ(readFile(settings), binary);

    const QByteArray utf16 = QByteArrayLiteral("[system]\r\ncodepage=UTF-16\r\n");
    writeFile(settings, utf16);
    const CliRun refused = runCliIn(program.path(), {"--event", "event", "info"});
    EXPECT_NE(refused.exitCode, 0);
    EXPECT_TRUE(refused.err.contains(QLatin1String("Unknown text encoding \"UTF-16\""))) << refused.err.toStdString();
    EXPECT_EQ(readFile(settings), utf16);
}

TEST(Cli, SettingsPrintsEveryKeyAndSetChecksBeforeWriting)
{
    QTemporaryDir program;
    QDir().mkpath(folderOf(program) + QStringLiteral("event"));
    const CliRun defaults = runCliIn(program.path(), {"--event", "event", "settings"});
    ASSERT_EQ(defaults.exitCode, 0) << defaults.err.toStdString();
    EXPECT_TRUE(defaults.out.startsWith(QLatin1String("leName=\n")));
    EXPECT_TRUE(defaults.out.contains(QLatin1String("\nsePunchWindow=-1\n")));
    EXPECT_TRUE(defaults.out.contains(QLatin1String("\ndtpDate=2008-09-01 00:00:00\n")));
    EXPECT_TRUE(defaults.out.contains(QLatin1String("\nseLivePort=8080\n")));
    EXPECT_EQ(defaults.out.count(u'\n'), 42);

    EXPECT_EQ(runCliIn(program.path(), {"--event", "event", "settings", "set", "leName=Night Rogaine", "sePunchWindow=120"}).exitCode, 0);
    const QByteArray stored = readFile(folderOf(program) + QStringLiteral("event/setup.ini"));
    EXPECT_TRUE(stored.contains("leName=Night Rogaine\r\n"));

    for (const char *bad : {"sePunchWindow=100000", "noSuchKey=1", "cbXML3Format=maybe", "leName", "leName=Evil\r\ncbMultiReadout=1"}) {
        const CliRun refused = runCliIn(program.path(), {"--event", "event", "settings", "set", "leName=Changed", bad});
        EXPECT_NE(refused.exitCode, 0) << bad;
        EXPECT_FALSE(refused.err.isEmpty()) << bad;
        EXPECT_EQ(readFile(folderOf(program) + QStringLiteral("event/setup.ini")), stored) << bad;
    }
}

TEST(Cli, SettingsNamesWhatSetupIniHoldsUnreadableAndKeepsItAsItStands)
{
    QTemporaryDir program;
    const QString settings = folderOf(program) + QStringLiteral("event/setup.ini");
    writeFile(settings, "[fEventInfo]\r\nleName=First\r\ndtpDate=13.06.2026\r\nleName=Second\r\nseMapWidth=abc\r\n");
    const CliRun listed = runCliIn(program.path(), {"--event", "event", "settings"});
    ASSERT_EQ(listed.exitCode, 0) << listed.err.toStdString();
    for (const char *line : {"\nleName=First\n", "\ndtpDate=13.06.2026\n", "\nseMapWidth=abc\n"})
        EXPECT_TRUE((u'\n' + listed.out).contains(QLatin1String(line))) << line;
    for (const char *named : {"(dtpDate): \"13.06.2026\"", "(seMapWidth): \"abc\"", "leName=Second"})
        EXPECT_TRUE(listed.err.contains(QLatin1String(named))) << named << ": " << listed.err.toStdString();

    ASSERT_EQ(runCliIn(program.path(), {"--event", "event", "settings", "set", "leOrganiser=Club"}).exitCode, 0);
    const QByteArray stored = readFile(settings);
    for (const char *line : {"leName=First\r\n", "dtpDate=13.06.2026\r\n", "leName=Second\r\n", "seMapWidth=abc\r\n", "leOrganiser=Club\r\n"})
        EXPECT_TRUE(stored.contains(line)) << line;

    writeFile(settings, QByteArray("\xFF\xFE[\0f\0E\0v\0e\0n\0t\0I\0n\0f\0o\0]\0", 24));
    const CliRun refused = runCliIn(program.path(), {"--event", "event", "settings"});
    EXPECT_NE(refused.exitCode, 0);
    EXPECT_TRUE(refused.err.contains(QLatin1String("it is not a text file"))) << refused.err.toStdString();
}

TEST(Cli, ClassesPrintsTheClassTable)
{
    QTemporaryDir program;
    writeFile(folderOf(program) + QStringLiteral("event/classlist.tree"),
              "H12<*>(12:00:00|012:00:00|00:30:00)\r\n\tH12V\r\nA6<*>(10:00:00|006:00:00|00:30:45)\r\n");
    const CliRun run = runCliIn(program.path(), {"--event", "event", "classes"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("1\tA6\t3600000\t2160000\t184500\tA6\n"
                                      "2\tH12\t4320000\t4320000\t180000\tH12\n"
                                      "3\tH12V\t4320000\t4320000\t180000\tH12/H12V\n"));
}

TEST(Cli, ArgumentsThatAreNoTextAreRefusedNotRenamed)
{
    QTemporaryDir program;
    QDir().mkpath(folderOf(program) + QStringLiteral("event"));
    // The shell passes the bytes as they are; each would reach the command as another name.
    for (const char *argument : {"--event \"$(printf 'event\\377')\" info", "--event event export participants \"$(printf 'list\\377.csv')\"",
                                 "--event event import teams \"$(printf '\\300\\200.csv')\""}) {
        QProcess process;
        process.setWorkingDirectory(program.path());
        process.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("exec \"$0\" ") + QLatin1String(argument),
                                                  QStringLiteral(KORVENT_CLI_PATH)});
        ASSERT_TRUE(process.waitForFinished(30'000));
        EXPECT_EQ(process.exitCode(), 1) << argument;
        EXPECT_TRUE(process.readAllStandardError().contains("is not text in the system's encoding")) << argument;
    }
    EXPECT_EQ(QDir(program.path()).entryList(QDir::Files), QStringList()) << "no file was written";
}

TEST(Cli, AFileTooLargeForTheMemoryGivesAnErrorNotACrash)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer needs more address space than the limit leaves";
#endif
    QTemporaryDir program;
    QDir().mkpath(folderOf(program) + QStringLiteral("event"));
    ASSERT_EQ(runCliIn(program.path(), {"--event", "event", "info"}).exitCode, 0);
    QFile huge(folderOf(program) + QStringLiteral("huge.csv"));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly) && huge.resize(600 << 20));
    huge.close();
    QProcess process;
    process.setWorkingDirectory(program.path());
    process.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("ulimit -v 1500000; exec \"$0\" --event event import teams huge.csv"),
                                              QStringLiteral(KORVENT_CLI_PATH)});
    ASSERT_TRUE(process.waitForFinished(60'000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 1);
    EXPECT_TRUE(process.readAllStandardError().contains("not enough memory"));
    EXPECT_TRUE(runCliIn(program.path(), {"--event", "event", "info"}).out.contains(QLatin1String("runner: 0 rows")));
}

TEST(Cli, SettingsChangedByTwoProgramsAtOnceKeepBothChanges)
{
    QTemporaryDir program;
    const QString event = folderOf(program) + QStringLiteral("event/");
    QDir().mkpath(event);
    // Another program is changing setup.ini: it holds the lock while it works.
    QLockFile other(EventSettings::fileName(event) + QStringLiteral(".lock"));
    ASSERT_TRUE(other.tryLock());
    EventSettings changed = EventSettings::load(event);
    QProcess cli;
    cli.setWorkingDirectory(program.path());
    cli.start(QStringLiteral(KORVENT_CLI_PATH), {"--event", "event", "settings", "set", "leCourseMaster=Ann"});
    ASSERT_TRUE(cli.waitForStarted());
    // Gives the command time to change the settings were it not to wait.
    cli.waitForFinished(500);
    changed.punchWindowSeconds = 300;
    changed.save(event);
    other.unlock();
    cli.waitForFinished(30'000);
    ASSERT_EQ(cli.state(), QProcess::NotRunning);
    EXPECT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();

    const EventSettings saved = EventSettings::load(event);
    EXPECT_EQ(saved.courseSetter, QStringLiteral("Ann"));
    EXPECT_EQ(saved.punchWindowSeconds, 300);
}

TEST(Cli, GeneratorCountsBeyondAWholeNumberAreRefusedNotCut)
{
    QTemporaryDir program;
    QDir().mkpath(folderOf(program) + QStringLiteral("event"));
    // Each would be cut to a small count (2^32 + n gives n) and generated.
    const std::vector<QStringList> cases = {{"--teams", "4294967297"},
                                            {"--controls", "4294967301"},
                                            {"--visits", "4294967299"},
                                            {"--classes", "4294967298"},
                                            {"--runners", "1-4294967298"}};
    for (const QStringList &options : cases) {
        const CliRun run = runCliIn(program.path(), QStringList{"--event", "event", "generate"} + options);
        EXPECT_NE(run.exitCode, 0) << options.join(u' ').toStdString();
        EXPECT_TRUE(run.err.contains(QLatin1String("is too large"))) << run.err.toStdString();
    }
    EXPECT_TRUE(runCliIn(program.path(), {"--event", "event", "info"}).out.contains(QLatin1String("team: 0 rows")));
}

TEST(Cli, GeneratedEventCalculatesWithASummaryLine)
{
    QTemporaryDir program;
    QDir().mkpath(folderOf(program) + QStringLiteral("event"));
    const CliRun generated = runCliIn(program.path(), {"--event", "event", "generate", "--seed", "7", "--teams", "20"});
    ASSERT_EQ(generated.exitCode, 0) << generated.err.toStdString();
    EXPECT_TRUE(generated.out.startsWith(QLatin1String("Generated 20 teams, "))) << generated.out.toStdString();
    // Generating again would mix two events: refused, nothing changed.
    EXPECT_NE(runCliIn(program.path(), {"--event", "event", "generate"}).exitCode, 0);

    const CliRun calculated = runCliIn(program.path(), {"--event", "event", "calculate", "--all"});
    ASSERT_EQ(calculated.exitCode, 0) << calculated.err.toStdString();
    EXPECT_TRUE(calculated.out.contains(QRegularExpression(
        QStringLiteral("^Calculated 20 teams: \\d+ with result, \\d+ NARes\\., 0 errors\\n$")))) << calculated.out.toStdString();

    const CliRun list = runCliIn(program.path(), {"--event", "event", "punchlist", "1"});
    ASSERT_EQ(list.exitCode, 0) << list.err.toStdString();
    EXPECT_TRUE(list.out.contains(QRegularExpression(QStringLiteral("^  1 \\d+ +\\S.{20} +\\d+:\\d\\d:\\d\\d \\d\\n"))))
        << list.out.toStdString();
    EXPECT_NE(runCliIn(program.path(), {"--event", "event", "punchlist", "999"}).exitCode, 0);
    EXPECT_NE(runCliIn(program.path(), {"--event", "event", "calculate", "--team", "x"}).exitCode, 0);

    const CliRun one = runCliIn(program.path(), {"--event", "event", "calculate", "--team", "1"});
    EXPECT_EQ(one.exitCode, 0) << one.err.toStdString();
    EXPECT_TRUE(one.out.startsWith(QLatin1String("Team 1: "))) << one.out.toStdString();
}

TEST(Cli, ACalculationThatFailsForATeamFailsTheCommand)
{
    QTemporaryDir program;
    QDir().mkpath(folderOf(program) + QStringLiteral("event"));
    ASSERT_EQ(runCliIn(program.path(), {"--event", "event", "generate", "--teams", "3"}).exitCode, 0);
    {
        // Team 2 has more punches at one control than a punch list takes: it cannot be calculated.
        TdmData data(folderOf(program) + QStringLiteral("event/"));
        const Row team = selectRows(data, QStringLiteral("team"), {{QStringLiteral("number"), 2}}, {QStringLiteral("id")}).front();
        for (int i = 0; i < 30; ++i)
            insertRow(data, QStringLiteral("res_cp"), {{"team_id", team.value("id")}, {"runner_id", 1000 + i}, {"KP", "31"}, {"status", 8},
                                                      {"ctime", QStringLiteral("2026-06-13 12:%1:00").arg(i, 2, 10, QLatin1Char('0'))}});
    }
    const CliRun all = runCliIn(program.path(), {"--event", "event", "calculate", "--all"});
    EXPECT_NE(all.exitCode, 0);
    EXPECT_TRUE(all.out.contains(QRegularExpression(QStringLiteral("^Calculated 3 teams: \\d+ with result, \\d+ NARes\\., 1 errors\\n$"))))
        << all.out.toStdString();
    EXPECT_TRUE(all.err.contains(QLatin1String("error: To many controls! :"))) << all.err.toStdString();
    const CliRun two = runCliIn(program.path(), {"--event", "event", "calculate", "--team", "2"});
    EXPECT_NE(two.exitCode, 0);
    EXPECT_TRUE(two.err.contains(QLatin1String("error: To many controls! :"))) << two.err.toStdString();
    EXPECT_EQ(runCliIn(program.path(), {"--event", "event", "calculate", "--team", "1"}).exitCode, 0);
}

TEST(Cli, ANewEventMakesItsFirstReportWithTheProgramsHeader)
{
    QTemporaryDir program;
    QDir().mkpath(folderOf(program) + QStringLiteral("event"));
    for (const char *file : {"header.htm", "style.css", "style_p.css"})
        writeFile(folderOf(program) + QStringLiteral("common/") + QLatin1String(file),
                  readFile(QStringLiteral(KORVENT_SOURCE_DIR "/common/") + QLatin1String(file)));
    const CliRun report = runCliIn(program.path(), {"--event", "event", "report", "results-table"});
    ASSERT_EQ(report.exitCode, 0) << report.err.toStdString();
    const QByteArray written = readFile(folderOf(program) + QStringLiteral("event/results/results.htm"));
    EXPECT_TRUE(written.startsWith("\xEF\xBB\xBF<!DOCTYPE html>\r\n")) << written.left(40).toStdString();
    EXPECT_EQ(EventSettings::load(folderOf(program) + QStringLiteral("event/")).resultHeader, QStringLiteral("header.htm"));

    // Emptied on purpose: it stays empty, and the refusal says where to set it.
    ASSERT_EQ(runCliIn(program.path(), {"--event", "event", "settings", "set", "eResultHeader="}).exitCode, 0);
    const CliRun refused = runCliIn(program.path(), {"--event", "event", "report", "results-table"});
    EXPECT_NE(refused.exitCode, 0);
    EXPECT_TRUE(refused.err.contains(QLatin1String("Can't find report header file: none is set; set it as \"Results header\"")))
        << refused.err.toStdString();
    EXPECT_EQ(EventSettings::load(folderOf(program) + QStringLiteral("event/")).resultHeader, QString());
}

TEST(Cli, ReportWritesThePagesOfTheRegistryAndRefusesWhatItCannotDo)
{
    QTemporaryDir program;
    QDir().mkpath(folderOf(program) + QStringLiteral("event"));
    for (const char *file : {"header.htm", "style.css", "style_p.css"})
        writeFile(folderOf(program) + QStringLiteral("common/") + QLatin1String(file),
                  readFile(QStringLiteral(KORVENT_SOURCE_DIR "/common/") + QLatin1String(file)));
    ASSERT_EQ(runCliIn(program.path(), {"--event", "event", "generate", "--teams", "3"}).exitCode, 0);

    const CliRun startList = runCliIn(program.path(), {"--event", "event", "report", "startlist-members"});
    ASSERT_EQ(startList.exitCode, 0) << startList.err.toStdString();
    EXPECT_EQ(startList.out, QStringLiteral("event/results/startlist.htm\n"));
    const QString page = folderOf(program) + QStringLiteral("event/results/startlist.htm");
    const QByteArray written = readFile(page);
    EXPECT_TRUE(written.startsWith("\xEF\xBB\xBF<!DOCTYPE html>\r\n")) << written.left(40).toStdString();
    EXPECT_TRUE(written.endsWith("</body></html>\r\n"));
    EXPECT_EQ(readFile(folderOf(program) + QStringLiteral("event/results/style.css")), readFile(QStringLiteral(KORVENT_SOURCE_DIR "/common/style.css")));

    struct Refusal
    {
        QStringList arguments;
        const char *message;
    };
    const Refusal refusals[] = {
        {{"startlist", "--class", "H12"}, "startlist takes no --class"},
        {{"checklist", "--per-class"}, "checklist takes no --per-class"},
        {{"statistics", "--encoding", "UTF-8"}, "statistics takes no --encoding"},
        {{"winners", "--per-class"}, "winners takes no --per-class"},
        {{"startlist", "--class"}, "--class needs a value"},
        {{"startlist", "--classes", "H12"}, "Unknown report option \"--classes\""},
        {{"nothing"}, "Unknown report \"nothing\"; the reports are startlist, startlist-members, checklist, results-table, "
                      "results-splits, results-web, statistics, winners"},
        {{}, "report needs a kind: startlist, startlist-members, checklist, results-table, results-splits, results-web, statistics, winners"},
    };
    for (const Refusal &refusal : refusals) {
        const CliRun run = runCliIn(program.path(), QStringList({"--event", "event", "report"}) + refusal.arguments);
        EXPECT_EQ(run.exitCode, 1) << refusal.message;
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(refusal.message))) << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty()) << refusal.message;
    }
    EXPECT_EQ(readFile(page), written);
}

TEST(Cli, ServeStopsOnSignalWithQuitAndKeepsAcknowledgedReadoutsWhenKilled)
{
    QTemporaryDir program;
    QDir().mkpath(folderOf(program) + QStringLiteral("event"));
    ASSERT_EQ(runCliIn(program.path(), {"--event", "event", "generate", "--teams", "3"}).exitCode, 0);
    const QString chip = QStringLiteral("100001");

    for (const bool kill : {false, true}) {
        ServeProcess serve(program.path(), folderOf(program) + QStringLiteral("serve.log"));
        ASSERT_NE(serve.port, 0);
        QTcpSocket station;
        station.connectToHost(QHostAddress::LocalHost, serve.port);
        ASSERT_TRUE(station.waitForConnected(5000));
        EXPECT_EQ(exchange(station, {}), QByteArray("K*V Welcome to ResultService\r\n"));
        EXPECT_EQ(exchange(station, "si\r\n"), QByteArray("OK\r\n"));
        const QByteArray reply = exchange(station, ("s " + chip + ";0;0;5430000;8;2;31;43800;32;45600\r\n").toLatin1());
        ASSERT_TRUE(reply.startsWith(("S " + chip + ";").toLatin1())) << reply.toStdString();
        if (kill) {
            // The reply came after the commit: the rows outlive the process.
            serve.process.kill();
            serve.process.waitForFinished(5000);
            TdmData data(folderOf(program) + QStringLiteral("event/"));
            EXPECT_EQ(data.connection().scalar(QStringLiteral("SELECT COUNT(*) FROM res_cp r JOIN runner u ON u.id=r.runner_id WHERE u.chipnr=?"), {chip}).toInt(), 3);
        } else {
            serve.process.terminate();
            EXPECT_EQ(exchange(station, {}), QByteArray("QUIT\r\n"));
            EXPECT_TRUE(serve.process.waitForFinished(10'000));
            EXPECT_EQ(serve.process.exitCode(), 0);
        }
    }
}

TEST(Cli, ServeClosesIdleStationsAfterItsIdleTimeout)
{
    QTemporaryDir program;
    QDir().mkpath(folderOf(program) + QStringLiteral("event"));
    // A repeated option counts with its last value, as everywhere on the command line.
    const std::vector<QStringList> refusals = {{"--idle-timeout", "-1"},
                                               {"--idle-timeout", "86401"},
                                               {"--idle-timeout", "x"},
                                               {"--idle-timeout"},
                                               {"--idle-timeout", "5", "--idle-timeout", "-1"}};
    for (const QStringList &refused : refusals) {
        const CliRun run = runCliIn(program.path(), QStringList{"--event", "event", "serve", "--port", "0"} + refused);
        EXPECT_NE(run.exitCode, 0) << refused.join(u' ').toStdString();
        EXPECT_TRUE(run.err.contains(QLatin1String("--idle-timeout needs a whole number from 0 to 86400"))) << run.err.toStdString();
    }

    const QString log = folderOf(program) + QStringLiteral("serve.log");
    ServeProcess serve(program.path(), log, {"--idle-timeout", "1"});
    ASSERT_NE(serve.port, 0);
    QTcpSocket station;
    station.connectToHost(QHostAddress::LocalHost, serve.port);
    ASSERT_TRUE(station.waitForConnected(5000));
    EXPECT_EQ(exchange(station, {}), QByteArray("K*V Welcome to ResultService\r\n"));
    EXPECT_EQ(exchange(station, {}), QByteArray("QUIT\r\n"));
    EXPECT_TRUE(station.state() == QAbstractSocket::UnconnectedState || station.waitForDisconnected(5000));
    serve.process.terminate();
    EXPECT_TRUE(serve.process.waitForFinished(10'000));
    EXPECT_TRUE(readFile(log).contains("Client idle for 1 s, closing: 127.0.0.1")) << readFile(log).toStdString();
}
