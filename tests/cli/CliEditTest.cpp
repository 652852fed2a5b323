#include "CliRun.h"
#include "EventRows.h"
#include "TestFolder.h"

#include "scoring/CorrectionLog.h"
#include "store/EventSettings.h"
#include "store/StatusTexts.h"
#include "store/TimeHelpers.h"
#include "store/uData.h"

#include <gtest/gtest.h>

namespace {

struct CliEditFixture : ::testing::Test
{
    QTemporaryDir program;
    QString event;
    std::unique_ptr<TdmData> data;
    qint64 teamId = 0;
    qint64 runnerA = 0;
    qint64 runnerB = 0;

    void SetUp() override
    {
        event = folderOf(program) + QStringLiteral("event/");
        QDir().mkpath(event);
        EventSettings settings;
        settings.eventDate = QDateTime(QDate(2026, 6, 13), QTime(0, 0));
        settings.firstStart = std::chrono::hours(10);
        settings.save(event);
        writeFile(event + QStringLiteral("classlist.tree"), "H6<*>(10:00:00|006:00:00|00:30:00)\r\n");
        data = std::make_unique<TdmData>(event);
        for (const auto &[code, type, points] : {std::tuple{"31", "C", 30}, {"45", "C", 40}, {"S", "S", 0}, {"F", "F", 0}})
            insertRow(*data, QStringLiteral("control"), {{"controlnr", code}, {"type", type}, {"points", points}});
        teamId = insertRow(*data, QStringLiteral("team"), {{"number", 12}, {"name", "Hill Runners"}, {"class", "H6"}});
        runnerA = insertRow(*data, QStringLiteral("runner"), {{"team_id", teamId}, {"started", true}});
        runnerB = insertRow(*data, QStringLiteral("runner"), {{"team_id", teamId}, {"started", true}});
    }

    CliRun edit(const QStringList &arguments)
    {
        return runCliIn(program.path(), QStringList({"--event", "event", "edit"}) + arguments);
    }
    void punch(qint64 runner, const char *code, const char *time, int status = PunchReadOK)
    {
        insertRow(*data, QStringLiteral("res_cp"), {{"team_id", teamId}, {"runner_id", runner}, {"KP", code}, {"status", status},
                                                   {"ctime", QStringLiteral("2026-06-13 ") + QLatin1String(time)}});
    }
    QStringList punches()
    {
        QStringList rows;
        for (const Row &row : selectRows(*data, QStringLiteral("res_cp"), {}, {QStringLiteral("id")}))
            rows.append(row.value("KP").toString() + u' ' + row.value("ctime").toString() + u' ' + row.value("status").toString());
        return rows;
    }
    Row team() { return *findRow(*data, QStringLiteral("team"), teamId); }
};

} // namespace

TEST_F(CliEditFixture, EachCorrectionPrintsItsLineAndPutsItAtTheTopOfTheLog)
{
    punch(runnerA, "31", "10:20:00");
    punch(runnerB, "31", "10:20:30", PunchMan);
    const QString added = QStringLiteral("45 control added to team:12 >")
        + DateTimeText(true, DateTime::fromDateAndTime(QDate(2026, 6, 13), QTime(10, 25))) + QStringLiteral(" #:2");
    const struct { QStringList arguments; QString line; } steps[] = {
        {{"add-control", "12", "31", "45"}, added},
        {{"status", "12", "31", "DQ"}, QStringLiteral("Team:12 Change control:31 status::DQ <<=ReadOK,Man,")},
        {{"remove", "12", "45"}, QStringLiteral("45 removed from team:12 #:2")},
        {{"team-status", "12", "DNF - W/D"}, QStringLiteral("Team:12 Status:NA >DNF - W/D")},
    };
    QStringList expectedLog;
    for (const auto &step : steps) {
        const CliRun run = edit(step.arguments);
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_EQ(run.out, step.line + u'\n');
        expectedLog.prepend(step.line);
        EXPECT_EQ(LoadCorrectionLog(event), expectedLog);
    }
    EXPECT_EQ(punches(), QStringList({"31 2026-06-13 10:20:00 5", "31 2026-06-13 10:20:30 5"}));
    EXPECT_EQ(team().value("status").toInt(), TeamWithdrawn);
    EXPECT_EQ(team().value("result").toInt(), -TeamWithdrawn);
    EXPECT_TRUE(readFile(CorrectionLogFileName(event)).startsWith("Team:12 Status:NA >DNF - W/D\r\n45 removed"));
}

TEST_F(CliEditFixture, CalcRecalculatesTheTeamAfterTheCorrection)
{
    // One card for the team: the finish counts when one runner punched it.
    punch(runnerA, "31", "11:00:00");
    punch(runnerA, "F", "16:45:00");
    const CliRun ok = edit({"team-status", "12", "OK", "--calc"});
    ASSERT_EQ(ok.exitCode, 0) << ok.err.toStdString();
    EXPECT_EQ(ok.out, QStringLiteral("Team:12 Status:NA >OK\n"));
    EXPECT_EQ(team().value("status").toInt(), TeamLate);
    EXPECT_EQ(team().value("points").toInt(), 30);

    // --calc anywhere on the line; without it the team row keeps what the correction set.
    ASSERT_EQ(edit({"--calc", "add-control", "12", "S", "45"}).exitCode, 0);
    EXPECT_EQ(team().value("points").toInt(), 70);
    ASSERT_EQ(edit({"team-status", "12", "OK"}).exitCode, 0);
    EXPECT_EQ(team().value("status").toInt(), TeamOK);
    EXPECT_EQ(team().value("result").toInt(), 70);
}

TEST_F(CliEditFixture, AddControlWithoutAFromPunchLogsNoResultRecordAndFails)
{
    const CliRun run = edit({"add-control", "12", "31", "45"});
    EXPECT_NE(run.exitCode, 0);
    EXPECT_EQ(run.out, QStringLiteral("No Result Record\n"));
    EXPECT_TRUE(run.err.contains(QLatin1String("team 12 has no punch at control 31"))) << run.err.toStdString();
    EXPECT_EQ(LoadCorrectionLog(event), QStringList({"No Result Record"}));
    EXPECT_TRUE(punches().isEmpty());
}

TEST_F(CliEditFixture, BadArgumentsAreRefusedAndChangeNothing)
{
    punch(runnerA, "31", "10:20:00");
    writeFile(CorrectionLogFileName(event), "earlier line\r\n");
    const struct { QStringList arguments; const char *error; } cases[] = {
        {{"remove", "99", "31"}, "There is no team with number 99"},
        {{"remove", "x", "31"}, "The team number must be a whole number, not \"x\""},
        {{"remove", "12", "31 or 1=1"}, "Control \"31 or 1=1\" is not in the course; its codes are \"31\", \"45\", \"F\", \"S\""},
        {{"add-control", "12", "31", "52"}, "Control \"52\" is not in the course"},
        {{"status", "12", "31", "Disqualified"}, "NEWSTATUS must be one of \"OK-Read\", \"Man-NoTime\", \"DQ\", \"NA\", not \"Disqualified\""},
        {{"team-status", "12", "ok"}, "STATUS must be one of \"OK\", \"LATE\", \"OutOfBounds\", \"DNF - W/D\", \"DQS\", \"DNS\", not \"ok\""},
        {{"team-status", "99", "DNS"}, "There is no team with number 99"},
        {{"remove", "12"}, "edit needs one of"},
        {{"rename", "12", "31"}, "edit needs one of"},
        {{}, "edit needs one of"},
    };
    for (const auto &c : cases) {
        const CliRun run = edit(c.arguments);
        EXPECT_NE(run.exitCode, 0) << c.error;
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(c.error))) << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty()) << c.error;
    }
    EXPECT_EQ(punches(), QStringList({"31 2026-06-13 10:20:00 8"}));
    EXPECT_EQ(team().value("status").toInt(), TeamNew);
    EXPECT_EQ(readFile(CorrectionLogFileName(event)), QByteArray("earlier line\r\n"));
}

TEST_F(CliEditFixture, ALogThatCannotBeReadOrIsNoTextIsRefusedBeforeTheCorrection)
{
    punch(runnerA, "31", "10:20:00");
    const QString log = CorrectionLogFileName(event);
    const struct
    {
        const char *what;
        QByteArray content; // empty: a folder at the log's name
        const char *error;
    } cases[] = {
        {"a folder", {}, "Cannot read the edit log"},
        {"UTF-16", QByteArray("\xFF\xFE" "3\0" "1\0" " \0" "r\0" "\r\0\n\0", 14), "line 1 is not text in UTF-8"},
        {"another code page", "earlier line\r\n\xD6" "1 removed from team:7 #:1\r\n", "line 2 is not text in UTF-8"},
        {"binary", QByteArray("line\0with a NUL\r\n", 17), "line 1 is not text in UTF-8"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        QDir(log).removeRecursively();
        QFile::remove(log);
        if (c.content.isEmpty())
            ASSERT_TRUE(QDir().mkpath(log));
        else
            writeFile(log, c.content);
        for (const QStringList &arguments : {QStringList{"remove", "12", "31"}, QStringList{"team-status", "12", "DNS", "--calc"}}) {
            const CliRun run = edit(arguments);
            EXPECT_NE(run.exitCode, 0);
            EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
            EXPECT_TRUE(run.err.contains(QLatin1String("event/timelog.txt"))) << run.err.toStdString();
            EXPECT_TRUE(run.err.contains(QLatin1String(c.error))) << run.err.toStdString();
        }
        EXPECT_EQ(punches(), QStringList({"31 2026-06-13 10:20:00 8"}));
        EXPECT_EQ(team().value("status").toInt(), TeamNew);
        if (!c.content.isEmpty())
            EXPECT_EQ(readFile(log), c.content);
    }
}

TEST_F(CliEditFixture, CorrectionsOnASharedNumberWarnThatTheFirstTeamIsTaken)
{
    const qint64 second = insertRow(*data, QStringLiteral("team"), {{"number", 12}, {"name", "Valley Runners"}, {"class", "H6"}});
    const CliRun run = edit({"team-status", "12", "DNS"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("Team:12 Status:NA >DNS\n"));
    EXPECT_TRUE(run.err.contains(QStringLiteral("warning: Teams share the number 12: Hill Runners, Valley Runners; the correction goes to the first")))
        << run.err.toStdString();
    EXPECT_EQ(team().value("status").toInt(), TeamDNS);
    EXPECT_EQ(findRow(*data, QStringLiteral("team"), second)->value("status").toInt(), TeamNew);
}

TEST_F(CliEditFixture, ALogAtTheDatabasesFileIsRefusedBeforeTheCorrection)
{
    punch(runnerA, "31", "10:20:00");
    ASSERT_TRUE(QFile::link(TdmData::databaseFileName(event), CorrectionLogFileName(event)));
    const CliRun run = edit({"remove", "12", "31"});
    EXPECT_NE(run.exitCode, 0);
    EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
    EXPECT_TRUE(run.err.contains(QLatin1String("timelog.txt: it is the event's database")))
        << run.err.toStdString();
    EXPECT_EQ(punches(), QStringList({"31 2026-06-13 10:20:00 8"}));
}

TEST_F(CliEditFixture, CorrectionsOfSeveralProcessesAtOnceEachKeepTheirLogLine)
{
    const QStringList statuses = {"OK", "LATE", "OutOfBounds", "DNF - W/D", "DQS", "DNS", "OK", "LATE"};
    std::vector<std::unique_ptr<QProcess>> processes;
    for (const QString &status : statuses) {
        processes.push_back(std::make_unique<QProcess>());
        processes.back()->setWorkingDirectory(program.path());
        processes.back()->start(QStringLiteral(KORVENT_CLI_PATH), {"--event", "event", "edit", "team-status", "12", status});
    }
    for (const auto &process : processes) {
        ASSERT_TRUE(process->waitForFinished(30'000));
        EXPECT_EQ(process->exitCode(), 0) << process->readAllStandardError().toStdString();
    }
    const QStringList log = LoadCorrectionLog(event);
    EXPECT_EQ(log.size(), statuses.size()) << log.join(u'|').toStdString();
    for (const QString &line : log)
        EXPECT_TRUE(line.startsWith(QLatin1String("Team:12 Status:"))) << line.toStdString();
}

TEST_F(CliEditFixture, ExplainNamesTheRuleAndTheCorrectionBehindIt)
{
    punch(runnerA, "31", "10:20:00");
    punch(runnerA, "F", "15:00:00");
    ASSERT_EQ(edit({"status", "12", "31", "DQ"}).exitCode, 0);
    const CliRun why = runCliIn(program.path(), {"--event", "event", "explain", "12"});
    ASSERT_EQ(why.exitCode, 0) << why.err.toStdString();
    EXPECT_TRUE(why.out.startsWith(QStringLiteral("Team 12 \"Hill Runners\", class H6.\n"))) << why.out.toStdString();
    EXPECT_TRUE(why.out.contains(QStringLiteral("\n31: ")) && why.out.contains(QStringLiteral(
        "DQ: its first punch is stored as disqualified, so it gives no points. Edit log: \"Team:12 Change control:31 status::DQ <<=ReadOK,\".")))
        << why.out.toStdString();
    EXPECT_TRUE(why.out.contains(QStringLiteral("\nNo result: the team has 0 points.\n"))) << why.out.toStdString();

    const struct { QStringList arguments; const char *error; } refused[] = {
        {{"explain"}, "explain takes one team number"},
        {{"explain", "12x"}, "The team number must be a whole number, not \"12x\""},
        {{"explain", "99"}, "There is no team with number 99"},
    };
    for (const auto &bad : refused) {
        const CliRun run = runCliIn(program.path(), QStringList({"--event", "event"}) + bad.arguments);
        EXPECT_NE(run.exitCode, 0);
        EXPECT_TRUE(run.err.contains(QLatin1String(bad.error))) << run.err.toStdString();
    }
}
