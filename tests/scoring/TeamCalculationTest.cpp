#include "RefusingTrigger.h"
#include "ScoringFixture.h"
#include "SettingsFileFailure.h"
#include "EventRows.h"

#include "base/WorkProgress.h"
#include "store/StatusTexts.h"

#include <QSemaphore>
#include <QThread>

#include <functional>
#include <thread>
#include <utility>

using Scoring = OnEachEngine<ScoringFixture>;
EVENT_TESTS_ON_EACH_ENGINE(Scoring);

TEST_P(Scoring, WorkedExample)
{
    workedExampleEvent();
    const qint64 id = team(6);
    const qint64 a = runner(id), b = runner(id);
    punch(id, a, "31", "10:30:00");
    punch(id, b, "31", "10:30:20");
    punch(id, a, "45", "11:15:00");
    punch(id, b, "45", "11:15:40");
    punch(id, a, "52", "12:00:00");
    punch(id, a, "F", "16:05:00");
    punch(id, b, "F", "16:05:10");

    tResArray list;
    TeamCalculation calc = calculation();
    ASSERT_TRUE(calc.CalculateTeam(6, false, list));
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0].code, QStringLiteral("31"));
    EXPECT_EQ(list[0].status, PunchOK);
    EXPECT_EQ(list[0].seconds, 20);
    EXPECT_EQ(list[1].status, PunchOK);
    EXPECT_EQ(list[1].seconds, 40);
    EXPECT_EQ(list[2].status, PunchMissing);
    EXPECT_EQ(list[3].code, QStringLiteral("F"));
    EXPECT_EQ(list[3].time, at(QStringLiteral("16:05:10")));
    EXPECT_EQ(teamRow(id).value("status").toInt(), TeamNew); // list-only writes nothing

    ASSERT_TRUE(calc.CalculateTeam(6, true, list));
    const Row row = teamRow(id);
    EXPECT_EQ(row.value("status").toInt(), TeamOK);
    EXPECT_EQ(row.value("points").toInt(), 80);
    EXPECT_EQ(row.value("penalty").toInt(), -60);
    EXPECT_EQ(row.value("result").toInt(), 20);
    EXPECT_EQ(row.value("rtime").toLongLong(), 21'910);
    EXPECT_EQ(row.value("start").toString(), QStringLiteral("2026-06-13 10:00:00"));
    EXPECT_EQ(row.value("finis").toString(), QStringLiteral("2026-06-13 16:05:10"));
    EXPECT_EQ(row.value("inCenter").toLongLong(), 0);
    EXPECT_FALSE(row.value("calctime").isNull());
    EXPECT_TRUE(messages.errors.isEmpty());
}

TEST_P(Scoring, PenaltyStatusAndResult)
{
    // Class H6: maximum 6:00:00 from a 10:00:00 start, 30 minutes of penalty time.
    const struct { const char *name; const char *finish; int points; int handStatus; int status; int penalty; int result; } cases[] = {
        {"exactly at the maximum", "16:00:00", 30, TeamNew, TeamOK, 0, 30},
        {"one second over", "16:00:01", 30, TeamNew, TeamOK, -1, 29},
        {"sixty seconds over: a second span", "16:01:00", 30, TeamNew, TeamOK, -2, 28},
        {"never below zero", "16:04:00", 3, TeamNew, TeamOK, -5, 0},
        {"later than maximum and penalty time", "16:30:01", 30, TeamOK, TeamLate, 0, -2},
        {"a disqualification set by hand stays", "15:00:00", 30, TeamDSQ, TeamDSQ, 0, -5},
        {"a started team gets its result", "15:00:00", 30, TeamStarted, TeamOK, 0, 30},
    };
    qint64 number = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        data->connection().exec(QStringLiteral("DELETE FROM control"));
        control(QStringLiteral("31"), c.points);
        control(QStringLiteral("F"), 0, QStringLiteral("F"));
        const qint64 id = team(++number);
        updateRow(*data, QStringLiteral("team"), id, {{"status", c.handStatus}});
        const qint64 a = runner(id);
        punch(id, a, "31", "11:00:00");
        punch(id, a, "F", QLatin1String(c.finish));
        EXPECT_TRUE(calculate(number));
        const Row row = teamRow(id);
        EXPECT_EQ(row.value("status").toInt(), c.status);
        EXPECT_EQ(row.value("penalty").toInt(), c.penalty);
        EXPECT_EQ(row.value("result").toInt(), c.result);
        EXPECT_EQ(row.value("points").toInt(), c.points);
    }
}

TEST_P(Scoring, ExtraPointsFollowTheOrderOfVisitsWhateverTheirStatus)
{
    setup.settings.controlCard = EventSettings::CardPerRunner;
    control("31", 30);
    control("32", 20);
    control("33", 10);
    control("F", 0, "F");
    rule(31, 32, 15);
    rule(31, 32, 99); // the same key again is never used
    rule(32, 33, 7);
    const qint64 id = team(1);
    const qint64 a = runner(id), b = runner(id);
    punch(id, a, "31", "10:10:00");
    punch(id, b, "31", "10:10:05");
    punch(id, a, "32", "10:20:00"); // only A: MP, scores nothing, still links 31 and 32
    punch(id, a, "33", "10:30:00");
    punch(id, b, "33", "10:30:05");
    punch(id, a, "F", "12:00:00");
    punch(id, b, "F", "12:00:05");
    ASSERT_TRUE(calculate(1));
    EXPECT_EQ(teamRow(id).value("points").toInt(), 30 + 15 + 7 + 10);
}

TEST_P(Scoring, TimeInCentreFromCheckInToCheckOut)
{
    control("31", 30);
    control("F", 0, "F");
    const qint64 id = team(1);
    const qint64 a = runner(id);
    punch(id, a, "I", "12:00:00");
    punch(id, a, "O", "12:20:00");
    punch(id, a, "I", "13:00:00");
    punch(id, a, "31", "13:10:00"); // check-in followed by a control adds nothing
    punch(id, a, "F", "15:00:00");
    ASSERT_TRUE(calculate(1));
    EXPECT_EQ(teamRow(id).value("inCenter").toLongLong(), 1200);
}

TEST_P(Scoring, NoFullResultWritesOnlyTheNoResultStatus)
{
    setup.settings.controlCard = EventSettings::CardPerRunner;
    control("31", 30);
    control("F", 0, "F");
    const qint64 oneFinish = team(1);
    const qint64 a = runner(oneFinish), b = runner(oneFinish);
    punch(oneFinish, a, "31", "10:10:00");
    punch(oneFinish, b, "31", "10:10:05");
    punch(oneFinish, a, "F", "15:00:00");
    EXPECT_FALSE(calculate(1));
    Row row = teamRow(oneFinish);
    EXPECT_EQ(row.value("status").toInt(), TeamNoResult);
    EXPECT_TRUE(row.value("calctime").isNull());
    EXPECT_TRUE(row.value("points").isNull());

    const qint64 unknownClass = team(2, QStringLiteral("H24"));
    const qint64 c = runner(unknownClass);
    data->connection().exec(QStringLiteral("UPDATE runner SET started=0 WHERE id=?"), {runner(unknownClass, false)});
    punch(unknownClass, c, "31", "10:10:00");
    punch(unknownClass, c, "F", "15:00:00");
    EXPECT_FALSE(calculate(2));
    row = teamRow(unknownClass);
    EXPECT_EQ(row.value("status").toInt(), TeamNew);
    EXPECT_TRUE(row.value("calctime").isNull());

    EXPECT_FALSE(calculate(99)); // no such team
    EXPECT_TRUE(messages.errors.isEmpty());
}

TEST_P(Scoring, TooManyPunchesAtOneControlIsReportedAndWritesNothing)
{
    control("31", 30);
    control("F", 0, "F");
    const auto [id, a] = teamWithTooManyPunches(1);
    punch(id, a, "F", "15:00:00");
    EXPECT_FALSE(calculate(1));
    EXPECT_EQ(messages.errors, QStringList({"To many controls! :Busy Bees"}));
    EXPECT_EQ(teamRow(id).value("status").toInt(), TeamNew);
}

TEST_F(ScoringFixture, ASettingTheCalculationNeedsThatDidNotReadStopsItNamingKeyAndText)
{
    control("31", 30);
    control("F", 0, "F");
    const qint64 id = team(1);
    const qint64 a = runner(id);
    punch(id, a, "31", "11:00:00");
    punch(id, a, "F", "17:00:00");
    const struct { const char *key; const char *text; } cases[] = {
        {"dtpDate", "2026-02-30 00:00:00"}, {"rgControlCard", "2"}, {"sePenaltyPoints", "abc"}, {"sePunchWindow", "lots"},
    };
    const EventSettings original = setup.settings;
    for (const auto &c : cases) {
        messages.errors.clear();
        const QString failure = takeSettingFromFile(setup.settings, folderOf(dir), c.key, QLatin1String(c.text));
        EXPECT_FALSE(calculate(1)) << c.key;
        ASSERT_EQ(messages.errors.size(), 1) << c.key;
        EXPECT_TRUE(messages.errors[0].endsWith(EventSettings::fileName(folderOf(dir)) + QStringLiteral(": ") + failure)) << messages.errors[0].toStdString();
        EXPECT_EQ(teamRow(id).value("status").toInt(), TeamNew) << c.key;
        setup.settings = original;
    }
    EXPECT_TRUE(calculate(1));
}

TEST_P(Scoring, AllTeamsVisitsEachRowOnceWarnsOfSharedNumbersAndGoesOnAfterErrors)
{
    control("31", 30);
    control("F", 0, "F");
    auto finished = [&](qint64 number, const QString &name) {
        const qint64 id = team(number, QStringLiteral("H6"), name);
        const qint64 a = runner(id);
        punch(id, a, "31", "10:10:00");
        punch(id, a, "F", "15:00:00");
        return id;
    };
    const qint64 first = finished(1, QStringLiteral("Owls"));
    const qint64 twin = finished(1, QStringLiteral("Twin Owls"));
    const qint64 busy = team(2, QStringLiteral("H6"), QStringLiteral("Busy Bees"));
    const qint64 b = runner(busy);
    for (int i = 0; i < 26; ++i)
        punch(busy, b, i % 2 ? "31" : "F", QTime(10, 0).addSecs(i * 400).toString(QStringLiteral("HH:mm:ss")));
    punch(busy, runner(busy), "31", "10:00:10");
    for (int i = 0; i < 26; ++i)
        punch(busy, runner(busy), "31", QTime(11, 0).addSecs(i).toString(QStringLiteral("HH:mm:ss")));
    const qint64 last = finished(3, QStringLiteral("Hares"));

    TeamCalculation calc(*data, std::make_shared<const EventSetup>(setup), messages);
    const CalculationSummary summary = calc.CalculateAllTeams(true);
    EXPECT_EQ(summary.calculated, 3);
    EXPECT_EQ(summary.withResult, 2);
    EXPECT_EQ(summary.errors, 1);
    EXPECT_EQ(messages.errors, QStringList({"To many controls! :Busy Bees"}));
    ASSERT_EQ(messages.warnings.size(), 1);
    EXPECT_TRUE(messages.warnings[0].contains(QLatin1String("Owls, Twin Owls"))) << messages.warnings[0].toStdString();
    EXPECT_EQ(teamRow(first).value("result").toInt(), 30);
    EXPECT_TRUE(teamRow(twin).value("calctime").isNull());
    EXPECT_EQ(teamRow(last).value("result").toInt(), 30);

    // Only teams never calculated: the last one again after its row was reset.
    updateRow(*data, QStringLiteral("team"), last, {{"calctime", QVariant()}, {"result", 0}});
    messages.warnings.clear();
    messages.errors.clear();
    const CalculationSummary fresh = calc.CalculateAllTeams(false);
    EXPECT_EQ(fresh.calculated, 2); // Hares and Busy Bees (never written)
    EXPECT_EQ(teamRow(last).value("result").toInt(), 30);
}

TEST_P(Scoring, AllTeamsWarnsOfTeamsWithAResultAndNoStartedRunner)
{
    control("31", 30);
    control("F", 0, "F");
    // Teams with a result, one card each: the card carrier alone, or no one, marked started.
    const auto finished = [&](qint64 number, bool started) {
        const qint64 id = team(number, QStringLiteral("H6"), QStringLiteral("Šarž %1").arg(number));
        const qint64 a = runner(id, started);
        runner(id, false);
        punch(id, a, "31", "10:10:00");
        punch(id, a, "F", "15:00:00");
    };
    finished(1, true);
    finished(2, false);
    finished(3, false);
    // Without a finish: no result, nothing to list.
    const qint64 unfinished = team(4);
    punch(unfinished, runner(unfinished, false), "31", "10:10:00");

    const CalculationSummary summary = calculation().CalculateAllTeams(true);
    EXPECT_EQ(summary.withResult, 3);
    EXPECT_TRUE(messages.errors.isEmpty());
    ASSERT_EQ(messages.warnings.size(), 1) << messages.warnings.join(u'\n').toStdString();
    EXPECT_TRUE(messages.warnings[0].startsWith(QLatin1String("2 teams in the results have no started runner: their members are not listed")))
        << messages.warnings[0].toStdString();

    // Marked started: no warning.
    data->connection().exec(QStringLiteral("UPDATE runner SET started=1"));
    messages.warnings.clear();
    calculation().CalculateAllTeams(false);
    EXPECT_TRUE(messages.warnings.isEmpty()) << messages.warnings.join(u'\n').toStdString();
}

namespace {

// Runs its hooks at the steps of a run: the first counted step comes after
// the run's reads and before its first write; cancelling after the nth step
// stops it.
struct HookedProgress : WorkProgress
{
    std::function<void()> meanwhile;
    qint64 cancelAfter = -1;
    qint64 lastDone = 0;
    void step(const QString &, qint64 done, qint64 total) override
    {
        lastDone = done;
        if (meanwhile && total > 0)
            std::exchange(meanwhile, {})();
    }
    bool cancelled() const override { return cancelAfter >= 0 && lastDone >= cancelAfter; }
};

} // namespace

namespace {

// Teams another program changes while the run is under way: a status set by
// hand on one, a finish read out for another.
struct ChangedMeanwhileFixtureCases : ScoringFixture
{
    qint64 handSet = 0;
    qint64 readLate = 0;
    qint64 late = 0;

    void SetUp() override
    {
        ScoringFixture::SetUp();
        control("31", 30);
        control("F", 0, "F");
        // Team 1 fails (too many punches at 31): the run reports it and goes on.
        teamWithTooManyPunches(1);
        handSet = team(2);
        punch(handSet, runner(handSet), "31", "10:10:00");
        punch(handSet, runner(handSet), "F", "15:00:00");
        readLate = team(3);
        late = runner(readLate);
        punch(readLate, late, "31", "10:20:00");
    }
    // The other program's change, on a connection of its own: control 31 now
    // counts 40 points.
    void change(TdmData &other) const
    {
        other.connection().exec(QStringLiteral("UPDATE control SET points=40 WHERE controlnr='31'"));
        other.connection().exec(QStringLiteral("UPDATE team SET status=? WHERE id=?"), {TeamDSQ, handSet});
        insertRow(other, QStringLiteral("res_cp"), {{"team_id", readLate}, {"runner_id", late}, {"KP", "F"},
                                                   {"ctime", at(QStringLiteral("15:30:00"))}, {"status", PunchReadOK}});
    }
    void expectDecidedFromTheChangedRows(const CalculationSummary &summary)
    {
        EXPECT_EQ(messages.errors, QStringList({"To many controls! :Busy Bees"}));
        EXPECT_EQ(summary.calculated, 3);
        const struct { const char *name; qint64 id; int status; int result; } cases[] = {
            {"a status set by hand meanwhile survives", handSet, TeamDSQ, -TeamDSQ},
            {"a finish read out meanwhile counts", readLate, TeamOK, 40},
        };
        for (const auto &c : cases) {
            SCOPED_TRACE(c.name);
            const Row row = teamRow(c.id);
            EXPECT_EQ(row.value("status").toInt(), c.status);
            EXPECT_EQ(row.value("result").toInt(), c.result);
            EXPECT_EQ(row.value("points").toInt(), 40) << "the control's points as changed meanwhile";
        }
    }
};

} // namespace

using ChangedMeanwhileFixture = OnEachEngine<ChangedMeanwhileFixtureCases>;
EVENT_TESTS_ON_EACH_ENGINE(ChangedMeanwhileFixture);

TEST_P(ChangedMeanwhileFixture, AllTeamsDecidesEachTeamFromItsRowsWhenAChangeCameAfterTheRunsReads)
{
    TdmData other(folderOf(dir));
    HookedProgress progress;
    progress.meanwhile = [&] { change(other); };
    expectDecidedFromTheChangedRows(calculation().CalculateAllTeams(true, progress));
}

TEST_P(ChangedMeanwhileFixture, AllTeamsDecidesEachTeamFromItsRowsWhenAChangeCommitsWhileTheBatchWaitsForTheLock)
{
    // The other program holds the writer lock when the run looks for changes,
    // so the run works its batch out from the rows it read and waits; the
    // change commits before the batch is written.
    QSemaphore holding;
    std::thread writer;
    HookedProgress progress;
    progress.meanwhile = [&] {
        writer = std::thread([&] {
            TdmData other(folderOf(dir));
            db::Transaction transaction(other.connection());
            holding.release();
            QThread::msleep(300);
            change(other);
            transaction.commit();
        });
        holding.acquire();
    };
    const CalculationSummary summary = calculation().CalculateAllTeams(true, progress);
    writer.join();
    expectDecidedFromTheChangedRows(summary);
}

TEST_P(Scoring, AllTeamsCancelledLeavesEachTeamAsBeforeOrFreshlyCalculated)
{
    control("31", 30);
    control("F", 0, "F");
    std::vector<qint64> teams;
    for (int number = 1; number <= 300; ++number) {
        const qint64 id = team(number, QStringLiteral("H6"), QStringLiteral("Ölands %1").arg(number));
        const qint64 a = runner(id);
        punch(id, a, "31", "10:10:00");
        punch(id, a, "F", "15:00:00");
        teams.push_back(id);
    }
    HookedProgress progress;
    progress.cancelAfter = 1;
    const CalculationSummary summary = calculation().CalculateAllTeams(true, progress);
    EXPECT_TRUE(summary.cancelled);
    EXPECT_GT(summary.calculated, 0);
    EXPECT_LT(summary.calculated, 300);
    EXPECT_EQ(progress.lastDone, summary.calculated);

    int fresh = 0;
    for (const qint64 id : teams) {
        const Row row = teamRow(id);
        if (row.value("calctime").isNull()) {
            EXPECT_EQ(row.value("status").toInt(), TeamNew);
            EXPECT_EQ(row.value("result").toInt(), 0);
        } else {
            ++fresh;
            EXPECT_EQ(row.value("status").toInt(), TeamOK);
            EXPECT_EQ(row.value("result").toInt(), 30);
        }
    }
    EXPECT_EQ(fresh, summary.calculated);
}

TEST_P(Scoring, AllTeamsLeavesOutOnlyTheTeamWhoseWriteFails)
{
    control("31", 30);
    control("F", 0, "F");
    std::vector<qint64> teams;
    for (int number = 1; number <= 5; ++number) {
        const qint64 id = team(number);
        const qint64 a = runner(id);
        punch(id, a, "31", "10:10:00");
        punch(id, a, "F", "15:00:00");
        teams.push_back(id);
    }
    // Another tool's rule refuses the write of the third team, in the middle of a batch.
    refuseWrites(data->connection(), QStringLiteral("refuse_third"), QStringLiteral("UPDATE"), QStringLiteral("team"),
                 QStringLiteral("NEW.id=%1").arg(teams[2]), QStringLiteral("refused by a rule"));
    const CalculationSummary summary = calculation().CalculateAllTeams(true);
    EXPECT_EQ(summary.calculated, 4);
    EXPECT_EQ(summary.errors, 1);
    ASSERT_EQ(messages.errors.size(), 1);
    EXPECT_TRUE(messages.errors[0].startsWith(QLatin1String("Error: Team nr3"))) << messages.errors[0].toStdString();
    for (size_t i = 0; i < teams.size(); ++i)
        EXPECT_EQ(teamRow(teams[i]).value("result").toInt(), i == 2 ? 0 : 30) << i;
}

TEST_F(ScoringFixture, AllTeamsLeavesItsConnectionFlushingEveryCommitAgain)
{
    // The run writes without a flush per commit; whatever way it ends, the
    // connection's next change (a readout, a correction) is on the disk before it returns.
    control("31", 30);
    control("F", 0, "F");
    for (int number = 1; number <= 3; ++number) {
        const qint64 id = team(number);
        punch(id, runner(id), "31", "10:10:00");
        punch(id, runner(id), "F", "15:00:00");
    }
    const auto synchronous = [&] { return data->connection().scalar(QStringLiteral("PRAGMA synchronous")).toInt(); };
    constexpr int full = 2;
    const struct { const char *name; qint64 cancelAfter; bool failing; } cases[] = {
        {"to the end", -1, false},
        {"cancelled", 0, false},
        {"with a team that fails", -1, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        if (c.failing)
            data->connection().exec(QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON team WHEN NEW.number=2 "
                                                   "BEGIN SELECT RAISE(ABORT, 'refused by a rule'); END"));
        HookedProgress progress;
        progress.cancelAfter = c.cancelAfter;
        int during = 0;
        progress.meanwhile = [&] { during = synchronous(); };
        calculation().CalculateAllTeams(true, progress);
        EXPECT_LT(during, full);
        EXPECT_EQ(synchronous(), full);
    }
}
