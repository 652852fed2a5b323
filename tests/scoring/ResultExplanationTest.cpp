#include "ScoringFixture.h"
#include "EventRows.h"

#include "scoring/CorrectionLog.h"
#include "scoring/PunchCorrections.h"
#include "scoring/ResultExplanation.h"
#include "store/StatusTexts.h"

#include <QDir>
#include <QRandomGenerator>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

struct ExplanationFixture : ScoringFixture
{
    void SetUp() override
    {
        ScoringFixture::SetUp();
        // Class H6: 10:00:00 start, 6 hours, 30 minutes of penalty time.
        workedExampleEvent();
        control("60", 0);
        control("I", 0, "I");
        control("O", 0, "O");
    }

    qint64 named(qint64 teamId, const QString &first, const QString &last, bool started = true)
    {
        const qint64 id = runner(teamId, started);
        updateRow(*data, u"runner"_s, id, {{"firstname", first}, {"lastname", last}});
        return id;
    }

    TeamExplanation explain(qint64 number, const QStringList &log = {})
    {
        TeamCalculation calc = calculation();
        return ExplainTeamResult(calc, data->connection(), log, number);
    }
};

// A small event of one team: punches and settings; what the explanation must say.
struct Case
{
    const char *name;
    std::function<void(ExplanationFixture &, qint64 team, qint64 a, qint64 b)> event;
    std::vector<const char *> says;
};

const Case cases[] = {
    {"OK: the members within the punch window",
     [](ExplanationFixture &f, qint64 t, qint64 a, qint64 b) {
         f.punch(t, a, "31", "10:30:00");
         f.punch(t, b, "31", "10:30:20");
     },
     {"31: Åsa Öberg 10:30:00; Bob Lind 10:30:20. OK at 10:30:20: 2 different runners punched it within 20 s (from 10:30:00), "
      "inside the punch window of 60 s. 30 points."}},
    {"OverInt.: the members further apart than the window",
     [](ExplanationFixture &f, qint64 t, qint64 a, qint64 b) {
         f.punch(t, a, "31", "10:30:00");
         f.punch(t, b, "31", "10:32:00");
     },
     {"OverInt. at 10:32:00: 2 different runners punched it, but 120 s apart (from 10:30:00), more than the punch window of 60 s; no points."}},
    {"MP: a member missing",
     [](ExplanationFixture &f, qint64 t, qint64 a, qint64) { f.punch(t, a, "45", "11:15:00"); },
     {"45: Åsa Öberg 11:15:00; Bob Lind missing.", "MP (missing punch): 2 different runners must punch it and 1 did; no points."}},
    {"Double: the runners came back after the visit that counted",
     [](ExplanationFixture &f, qint64 t, qint64 a, qint64 b) {
         f.punch(t, a, "31", "10:00:00");
         f.punch(t, b, "31", "10:00:20");
         f.punch(t, a, "31", "10:30:00");
         f.punch(t, b, "31", "10:30:10");
     },
     {"Control card per runner: a control counts when 2 different runners have punched it within the punch window of 60 s (started: Åsa Öberg, Bob Lind).",
      "OK at 10:00:20", "Double at 10:30:10: the runners punched it again after the visit that counted (from 10:30:00 to 10:30:10, 10 s apart); no points."}},
    {"Double: an earlier visit with no window to check",
     [](ExplanationFixture &f, qint64 t, qint64 a, qint64 b) {
         f.setup.settings.punchWindowSeconds = -1;
         f.punch(t, a, "31", "10:00:00");
         f.punch(t, b, "31", "10:10:00");
     },
     {"(started: Åsa Öberg, Bob Lind); the punch window is not checked.", "OK at 10:10:00: the latest punch counts; the punch window is not checked.",
      "Double at 10:00:00: an earlier visit, more than 300 s before the visit at 10:10:00; no points."}},
    {"OK: one runner's punch needs no window, a repeat next to it is left out",
     [](ExplanationFixture &f, qint64 t, qint64 a, qint64) {
         f.setup.settings.controlCard = EventSettings::CardPerTeam;
         f.punch(t, a, "31", "10:00:00");
         f.punch(t, a, "31", "10:03:00");
     },
     {"Control card per team: one punch makes a control count.",
      "OK at 10:00:00: one runner punched it, so the latest punch counts without a punch window.",
      "A runner's punch right after the same runner's earlier one here is left out: Åsa Öberg 10:03:00."}},
    {"team card, two runners: the first punch counts, the next is Double",
     [](ExplanationFixture &f, qint64 t, qint64 a, qint64 b) {
         f.setup.settings.controlCard = EventSettings::CardPerTeam;
         f.punch(t, a, "31", "10:00:00");
         f.punch(t, b, "31", "10:00:30");
         f.punch(t, a, "31", "10:01:00"); // the last punch never starts a window of its own
         f.punch(t, a, "F", "15:00:00");
     },
     {"OK at 10:00:00: the first punch counts; one punch makes the control.",
      "Double at 10:00:30: punched again after the punch that counted; no points.",
      "OK: the finish was punched; the team's finish time is 15:00:00."}},
    {"OverInt.: the last punches never bring all runners together",
     [](ExplanationFixture &f, qint64 t, qint64 a, qint64 b) {
         const qint64 c = f.named(t, u"Cai"_s, u"Ng"_s);
         f.punch(t, a, "31", "10:00:00");
         f.punch(t, b, "31", "10:00:10");
         f.punch(t, c, "31", "10:05:00");
         f.punch(t, b, "31", "10:05:10");
     },
     {"OverInt. at 10:05:00: 3 different runners punched it, but 300 s apart",
      "OverInt. at 10:05:10: the punches never brought 3 different runners together within the punch window of 60 s "
      "(first to last punch 310 s); no points."}},
    {"Unknown: a punch stored as ? takes no part",
     [](ExplanationFixture &f, qint64 t, qint64 a, qint64) { f.punch(t, a, "77", "10:40:00", PunchUnknown); },
     {"77: Åsa Öberg 10:40:00; Bob Lind missing. The punch of Åsa Öberg at 10:40:00 is stored as unknown (?) and takes no part."}},
    {"not in the course: a code that is no control scores nothing",
     [](ExplanationFixture &f, qint64 t, qint64 a, qint64 b) {
         f.punch(t, a, "99", "10:40:00");
         f.punch(t, b, "99", "10:40:05");
     },
     {"OK at 10:40:05", "99 is not a control of the course: no points."}},
    {"a control worth 0 points",
     [](ExplanationFixture &f, qint64 t, qint64 a, qint64 b) {
         f.punch(t, a, "60", "10:40:00");
         f.punch(t, b, "60", "10:40:05");
     },
     {"The control is worth 0 points."}},
    {"check-in and check-out: not scoring, time in the centre",
     [](ExplanationFixture &f, qint64 t, qint64 a, qint64 b) {
         f.punch(t, a, "I", "12:00:00");
         f.punch(t, b, "I", "12:00:30");
         f.punch(t, a, "O", "12:20:00");
         f.punch(t, b, "O", "12:27:00");
     },
     {"Listed at 12:00:00: I is the check-in to the administration area, not a scoring control, so its first punch is listed as OK.",
      "The punches at 12:00:30 belong to the visit at 12:00:00 (300 s or less apart).", "Time in the administration area: 0:20:00.",
      "Listed again at 12:27:00: more than 300 s after the visit at 12:20:00."}},
    {"pair: counted, whatever the statuses",
     [](ExplanationFixture &f, qint64 t, qint64 a, qint64 b) {
         f.punch(t, a, "31", "10:30:00");
         f.punch(t, a, "45", "11:00:00");
         f.punch(t, b, "45", "11:00:10");
     },
     {"MP (missing punch)", "+10 extra points for the pair 31 → 45", "Points: 50 (controls 40, extra points 10)."}},
    {"pair: another control between",
     [](ExplanationFixture &f, qint64 t, qint64 a, qint64 b) {
         const struct { const char *code, *time; } visits[] = {{"31", "10:30:00"}, {"52", "10:50:00"}, {"45", "11:10:00"}};
         for (const auto &visit : visits) {
             f.punch(t, a, QLatin1String(visit.code), QLatin1String(visit.time));
             f.punch(t, b, QLatin1String(visit.code), QLatin1String(visit.time));
         }
     },
     {"The pair 31 → 45 (10 extra points) did not count: right before it the punch list has 52, not 31."}},
    {"finish: complete, with the overtime penalty",
     [](ExplanationFixture &f, qint64 t, qint64 a, qint64 b) {
         f.punch(t, a, "31", "10:30:00");
         f.punch(t, b, "31", "10:30:20");
         f.punch(t, a, "F", "16:05:00");
         f.punch(t, b, "F", "16:05:10");
     },
     {"OK: 2 different runners punched the finish, as needed; the team's finish time is the last of their punches, 16:05:10.",
      "Finish 16:05:10: running time 6:05:10 from the class start 10:00:00 (class H6: maximum time 6:00:00, penalty time 0:30:00).",
      "Overtime 0:05:10: 6 started spans of 60 s × -10 points = -60 penalty points.",
      "Status OK: the team finished within its class's maximum time plus the penalty time.",
      "30 points and -60 penalty points make less than 1", "Result: 0."}},
    {"finish: within the maximum time",
     [](ExplanationFixture &f, qint64 t, qint64 a, qint64 b) {
         f.punch(t, a, "31", "10:30:00");
         f.punch(t, b, "31", "10:30:20");
         f.punch(t, a, "F", "15:00:00");
         f.punch(t, b, "F", "15:00:00");
     },
     {"Within the maximum time: no penalty.", "Result: 30 points and 0 penalty points make 30."}},
    {"finish: LATE",
     [](ExplanationFixture &f, qint64 t, qint64 a, qint64 b) {
         f.punch(t, a, "31", "10:30:00");
         f.punch(t, b, "31", "10:30:20");
         f.punch(t, a, "F", "16:31:00");
         f.punch(t, b, "F", "16:31:00");
     },
     {"0:31:00 over the maximum time is more than the penalty time of 0:30:00: the team is late and gets no penalty points.",
      "Status LATE: the team finished later than its class's maximum time plus the penalty time.",
      "Result: LATE, the team's status"}},
    {"finish: a member missing gives no finish time, NARes.",
     [](ExplanationFixture &f, qint64 t, qint64 a, qint64 b) {
         f.punch(t, a, "31", "10:30:00");
         f.punch(t, b, "31", "10:30:20");
         f.punch(t, a, "F", "15:00:00");
     },
     {"OverInt.: 2 different runners must punch the finish and 1 did, so the team has no finish time.",
      "No result: the team has no complete finish.",
      "Status NARes.: a team without a result whose status was NA, START or NARes. and whose punch list has two entries or more gets NARes."}},
    {"finish: more runners than a team card takes",
     [](ExplanationFixture &f, qint64 t, qint64 a, qint64 b) {
         f.setup.settings.controlCard = EventSettings::CardPerTeam;
         f.punch(t, a, "31", "10:30:00");
         f.punch(t, a, "F", "15:00:00");
         f.punch(t, b, "F", "15:00:05");
     },
     {"OverInt.: 2 different runners punched the finish, but the finish takes exactly 1, so the team has no finish time."}},
    {"no points: no result",
     [](ExplanationFixture &f, qint64 t, qint64 a, qint64 b) {
         f.punch(t, a, "60", "10:30:00");
         f.punch(t, b, "60", "10:30:00");
         f.punch(t, a, "F", "15:00:00");
         f.punch(t, b, "F", "15:00:00");
     },
     {"Points: 0 (controls 0, extra points 0).", "No result: the team has 0 points."}},
    {"a single entry leaves the status",
     [](ExplanationFixture &f, qint64 t, qint64 a, qint64) { f.punch(t, a, "45", "11:15:00"); },
     {"Status NA stays: the punch list has fewer than two entries."}},
    {"class not in the class table",
     [](ExplanationFixture &f, qint64 t, qint64 a, qint64 b) {
         updateRow(*f.data, u"team"_s, t, {{"class", u"X9"_s}});
         f.punch(t, a, "31", "10:30:00");
         f.punch(t, b, "31", "10:30:20");
         f.punch(t, a, "F", "15:00:00");
         f.punch(t, b, "F", "15:00:00");
     },
     {"No result: the class \"X9\" is not in the class table, so nothing is written."}},
    {"no runner started",
     [](ExplanationFixture &f, qint64 t, qint64 a, qint64 b) {
         f.data->connection().exec(u"UPDATE runner SET started=0 WHERE team_id=?"_s, {t});
         f.punch(t, a, "31", "10:30:00");
         f.punch(t, b, "31", "10:30:20");
     },
     {"Control card per runner, but no runner of the team is marked as started: no control can count.",
      "Not weighed: no runner of the team is marked as started, so no punch counts.", "31: Åsa Öberg (not started) 10:30:00"}},
    {"a not-started runner's punch stands in for a started runner's",
     [](ExplanationFixture &f, qint64 t, qint64 a, qint64) {
         const qint64 c = f.named(t, u"Cai"_s, u"Ng"_s, false);
         f.punch(t, a, "31", "10:30:00");
         f.punch(t, c, "31", "10:30:10");
     },
     {"31: Åsa Öberg 10:30:00; Bob Lind missing; Cai Ng (not started) 10:30:10.",
      "OK at 10:30:10: 2 different runners punched it within 10 s (from 10:30:00)",
      "The calculation counts different runners, not started ones: the punches of Cai Ng count here although Bob Lind did not punch."}},
    {"a runner of another team",
     [](ExplanationFixture &f, qint64 t, qint64 a, qint64) {
         f.punch(t, a, "31", "10:30:00");
         f.punch(t, 9999, "31", "10:30:10");
     },
     {"Bob Lind missing; runner 9999 (not of this team) 10:30:10.",
      "the punches of runner 9999 (not of this team) count here although Bob Lind did not punch."}},
    {"a punch after the finish",
     [](ExplanationFixture &f, qint64 t, qint64 a, qint64 b) {
         f.punch(t, a, "31", "15:30:00");
         f.punch(t, b, "31", "15:30:00");
         f.punch(t, a, "F", "15:00:00");
         f.punch(t, b, "F", "15:00:00");
     },
     {"The punch at 15:30:00 is after the team's finish time 15:00:00; the calculation takes it like any other.", "30 points."}},
    {"a punch in no window",
     [](ExplanationFixture &f, qint64 t, qint64 a, qint64 b) {
         f.punch(t, a, "31", "10:00:00");
         f.punch(t, b, "31", "10:00:20");
         f.punch(t, a, "31", "10:30:00");
     },
     {"OK at 10:00:20", "The punch of Åsa Öberg at 10:30:00 takes no part: it is in no window of 2 different runners"}},
    {"a long spread in h:mm:ss",
     [](ExplanationFixture &f, qint64 t, qint64 a, qint64 b) {
         f.punch(t, a, "31", "10:00:00");
         f.punch(t, b, "31", "12:00:00");
     },
     {"2 different runners punched it, but 2:00:00 apart (from 10:00:00)"}},
    {"code 0 and an empty code",
     [](ExplanationFixture &f, qint64 t, qint64 a, qint64) {
         f.setup.settings.controlCard = EventSettings::CardPerTeam;
         f.punch(t, a, "", "10:00:00");
         f.punch(t, a, "0", "10:10:00");
         f.punch(t, a, "O", "10:20:00");
     },
     {"(no code): Åsa Öberg 10:00:00.", "Listed at 10:10:00: 0 is not a scoring control (its code does not start with a number above 0)",
      "Listed at 10:20:00: O is the check-out of the administration area"}},
    {"status 0 set through SQL stays",
     [](ExplanationFixture &f, qint64 t, qint64 a, qint64) {
         updateRow(*f.data, u"team"_s, t, {{"status", 0}});
         f.punch(t, a, "45", "11:15:00");
     },
     {"The stored status 0 is no team status a calculation knows, so it keeps it."}},
    {"OB stays without a result",
     [](ExplanationFixture &f, qint64 t, qint64 a, qint64) {
         updateRow(*f.data, u"team"_s, t, {{"status", TeamOB}});
         f.punch(t, a, "45", "11:15:00");
     },
     {"Status OB stays: it was set by hand, and a calculation keeps OB, W/D, DSQ and DNS. No line of the edit log names it."}},
    {"DNS stays without a result",
     [](ExplanationFixture &f, qint64 t, qint64, qint64) { updateRow(*f.data, u"team"_s, t, {{"status", TeamDNS}}); },
     {"The team has no punches.", "Status DNS stays: it was set by hand"}},
    {"W/D stays with a full result",
     [](ExplanationFixture &f, qint64 t, qint64 a, qint64 b) {
         updateRow(*f.data, u"team"_s, t, {{"status", TeamWithdrawn}});
         f.punch(t, a, "31", "10:30:00");
         f.punch(t, b, "31", "10:30:00");
         f.punch(t, a, "F", "15:00:00");
         f.punch(t, b, "F", "15:00:00");
     },
     {"Status W/D stays: it was set by hand, and a calculation keeps OB, W/D, DSQ and DNS. No line of the edit log names it. "
      "The calculation would have given OK.",
      "Result: W/D, the team's status"}},
    {"START becomes NARes. without a result",
     [](ExplanationFixture &f, qint64 t, qint64 a, qint64 b) {
         updateRow(*f.data, u"team"_s, t, {{"status", TeamStarted}});
         f.punch(t, a, "31", "10:30:00");
         f.punch(t, b, "31", "10:30:00");
         f.punch(t, a, "F", "15:00:00");
     },
     {"Status NARes.: a team without a result whose status was NA, START or NARes."}},
    {"LATE stays without a result",
     [](ExplanationFixture &f, qint64 t, qint64 a, qint64) {
         updateRow(*f.data, u"team"_s, t, {{"status", TeamLate}});
         f.punch(t, a, "F", "15:00:00");
     },
     {"Status LATE stays: without a full result a calculation changes only NA, START and NARes."}},
    {"runners of one name told apart; a line break in a name",
     [](ExplanationFixture &f, qint64 t, qint64 a, qint64 b) {
         updateRow(*f.data, u"runner"_s, a, {{"firstname", u"Bob"_s}, {"lastname", u"Lind"_s}, {"chipnr", u"111"_s}});
         updateRow(*f.data, u"runner"_s, b, {{"chipnr", u"222"_s}});
         const qint64 c = f.named(t, u"Cai\nX"_s, u"Ng"_s, false);
         f.punch(t, a, "31", "10:30:00");
         f.punch(t, c, "31", "10:30:10");
     },
     {"31: Bob Lind (chip 111) 10:30:00; Bob Lind (chip 222) missing; Cai X Ng (not started) 10:30:10."}},
    {"too many punches at one control",
     [](ExplanationFixture &f, qint64 t, qint64 a, qint64 b) {
         for (int i = 0; i < 26; ++i)
             f.punch(t, i % 2 ? a : b, "31", QTime(10, 0).addSecs(i * 30).toString(u"HH:mm:ss"_s));
     },
     {"More than 25 punches count here, more than the calculation takes for one control: it stops (\"To many controls!\") "
      "and the team gets no result.",
      "No result: the calculation stops at a control with more than 25 punches and writes nothing."}},
};

} // namespace

TEST_F(ExplanationFixture, EveryRuleNamedWithItsNumbers)
{
    qint64 number = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const EventSettings settings = setup.settings;
        const qint64 id = team(++number);
        const qint64 a = named(id, u"Åsa"_s, u"Öberg"_s), b = named(id, u"Bob"_s, u"Lind"_s);
        c.event(*this, id, a, b);
        const QString text = explain(number).lines.join(u'\n');
        for (const char *says : c.says)
            EXPECT_TRUE(text.contains(QString::fromUtf8(says))) << "missing: " << says << "\nin:\n" << text.toStdString();
        setup.settings = settings;
    }
}

// Corrections made by hand are named with their log lines.
TEST_F(ExplanationFixture, HandCorrectionsWithTheirLogLines)
{
    const qint64 id = team(4);
    const qint64 a = named(id, u"Åsa"_s, u"Öberg"_s), b = named(id, u"Bob"_s, u"Lind"_s);
    punch(id, a, "31", "10:30:00");
    punch(id, b, "31", "10:30:20");
    punch(id, a, "F", "15:00:00");
    punch(id, b, "F", "15:00:05");
    QStringList log;
    log.prepend(AddMissingControl(data->connection(), id, u"31"_s, u"45"_s, 0));
    log.prepend(ChangeControlStatus(data->connection(), id, u"52"_s, 2)); // no punches at 52: a line, no rows
    punch(id, a, "52", "12:00:00");
    punch(id, b, "52", "12:00:10");
    log.prepend(ChangeControlStatus(data->connection(), id, u"52"_s, 2)); // DQ
    log.prepend(u"Team:41 Status:NA >DQS"_s); // another team's line

    QString text = explain(4, log).lines.join(u'\n');
    EXPECT_TRUE(text.contains(u"45: Åsa Öberg 10:35:00; Bob Lind 10:35:00. Man: its first punch is stored as entered by hand, so it counts "
                              "without a check of the runners' times. Edit log: \"45 control added to team:4 >"_s))
        << text.toStdString();
    EXPECT_TRUE(text.contains(u"+10 extra points for the pair 31 → 45"_s)) << text.toStdString();
    EXPECT_TRUE(text.contains(u"DQ: its first punch is stored as disqualified, so it gives no points. Edit log: \"Team:4 Change control:52 "
                              "status::DQ <<=ReadOK,ReadOK,\"."_s))
        << text.toStdString();

    log.prepend(SetTeamStatus(data->connection(), id, 4)); // DQS
    const TeamExplanation explanation = explain(4, log);
    text = explanation.lines.join(u'\n');
    EXPECT_TRUE(text.contains(u"Status DSQ stays: it was set by hand, and a calculation keeps OB, W/D, DSQ and DNS. Edit log: \"Team:4 Status:NA >DQS\". The calculation would have given OK."_s))
        << text.toStdString();
    EXPECT_TRUE(text.contains(u"Result: DSQ, the team's status"_s)) << text.toStdString();
    EXPECT_EQ(explanation.result, -TeamDSQ);

    // A punch typed into the punch grid has no log line, and the explanation says so.
    punch(id, a, "60", "13:00:00", PunchMan);
    punch(id, b, "60", "13:00:00", PunchMan);
    EXPECT_TRUE(explain(4, log).lines.join(u'\n').contains(u"without a check of the runners' times. No line of the edit log names it."_s));
}

TEST_F(ExplanationFixture, LinesFollowThePunchListAndTellWhatIsStored)
{
    const qint64 id = team(5, u"H6"_s, u"Öö & Co"_s);
    const qint64 a = named(id, u"Åsa"_s, u"Öberg"_s), b = named(id, u"Bob"_s, u"Lind"_s);
    punch(id, a, "52", "10:10:00");
    punch(id, b, "52", "10:10:05");
    punch(id, a, "77", "10:20:00", PunchUnknown); // no entry: told where it falls in time
    punch(id, a, "31", "10:30:00");
    punch(id, b, "31", "10:30:20");
    punch(id, a, "F", "15:00:00");
    punch(id, b, "F", "15:00:05");
    const QStringList lines = explain(5).lines;
    ASSERT_GE(lines.size(), 7);
    EXPECT_EQ(lines[0], u"Team 5 \"Öö & Co\", class H6."_s);
    EXPECT_TRUE(lines[2].startsWith(u"52: "_s));
    EXPECT_TRUE(lines[3].startsWith(u"77: "_s));
    EXPECT_TRUE(lines[4].startsWith(u"31: "_s));
    EXPECT_TRUE(lines[5].startsWith(u"F: "_s));
    // Not calculated yet: the stored row is not what the lines arrive at.
    EXPECT_EQ(lines.last(), u"The team has not been calculated yet, so none of the above is stored; calculate the team to store it."_s);
    ASSERT_TRUE(calculate(5));
    EXPECT_FALSE(explain(5).lines.last().startsWith(u"Stored now"_s));

    EXPECT_THROW(explain(99), KorventError);

    // A number two teams share: the first is explained, and the line says so.
    team(5, u"H6"_s, u"Second Five"_s);
    const QStringList shared = explain(5).lines;
    EXPECT_EQ(shared[0], u"Team 5 \"Öö & Co\", class H6."_s);
    EXPECT_EQ(shared[1], u"2 teams have the number 5: the calculation finds this one, the first, and the others get no result of their own."_s);
}

// A finish removed by hand: the calculation writes no result and the row keeps the earlier one.
TEST_F(ExplanationFixture, RemovedFinishNamesTheResultThatStaysAndItsLogLine)
{
    const qint64 id = team(7);
    const qint64 a = named(id, u"Åsa"_s, u"Öberg"_s), b = named(id, u"Bob"_s, u"Lind"_s);
    punch(id, a, "31", "10:30:00");
    punch(id, b, "31", "10:30:20");
    punch(id, a, "F", "15:00:00");
    punch(id, b, "F", "15:00:05");
    ASSERT_TRUE(calculate(7));
    const QStringList log{RemoveControl(data->connection(), id, u"F"_s)};
    EXPECT_FALSE(calculate(7));

    const QString text = explain(7, log).lines.join(u'\n');
    EXPECT_TRUE(text.contains(u"F: the team has no punch here now. Edit log: \"F removed from team:7 #:2\"."_s)) << text.toStdString();
    EXPECT_TRUE(text.contains(u"Status OK stays: without a full result a calculation changes only NA, START and NARes."_s)) << text.toStdString();
    EXPECT_TRUE(text.endsWith(u"The team row still holds the result 30 (points 30, penalty 0) of an earlier calculation: a calculation "
                              "without a full result leaves it, and the result lists show it until the team has a full result again."_s))
        << text.toStdString();

    // The team's page shows the stored result: no lines that end elsewhere.
    TeamCalculation calc = calculation();
    EXPECT_TRUE(ExplainTeamResult(calc, data->connection(), log, 7, ExplanationReader::Team).lines.isEmpty());

    // An edit log that cannot be read leaves a line saying so, and the rest is told.
    ASSERT_TRUE(QDir(dir.path()).mkdir(u"timelog.txt"_s));
    const QStringList lines = ExplainTeamResult(*data, std::make_shared<const EventSetup>(setup), folderOf(dir), 7).lines;
    EXPECT_TRUE(lines.last().endsWith(u"the log lines of hand corrections are missing above."_s)) << lines.join(u'\n').toStdString();
    EXPECT_TRUE(lines.first().startsWith(u"Team 7"_s));
}

// A status set by hand keeps the result; points that changed since are told all the same.
TEST_F(ExplanationFixture, StoredPointsOfAHandStatusComparedToo)
{
    const qint64 id = team(8);
    const qint64 a = named(id, u"Åsa"_s, u"Öberg"_s), b = named(id, u"Bob"_s, u"Lind"_s);
    punch(id, a, "31", "10:30:00");
    punch(id, b, "31", "10:30:00");
    punch(id, a, "F", "15:00:00");
    punch(id, b, "F", "15:00:00");
    updateRow(*data, u"team"_s, id, {{"status", TeamDSQ}});
    ASSERT_TRUE(calculate(8));
    EXPECT_FALSE(explain(8).lines.last().startsWith(u"Stored now"_s));
    punch(id, a, "45", "11:00:00");
    punch(id, b, "45", "11:00:00");
    EXPECT_EQ(explain(8).lines.last(), u"Stored now: result DSQ, points 30, penalty 0, status DSQ, from an earlier calculation or a change "
                                       "by hand; calculate the team to store the above."_s);
    TeamCalculation calc = calculation();
    EXPECT_TRUE(ExplainTeamResult(calc, data->connection(), {}, 8, ExplanationReader::Team).lines.isEmpty());
    ASSERT_TRUE(calculate(8));
    EXPECT_FALSE(ExplainTeamResult(calc, data->connection(), {}, 8, ExplanationReader::Team).lines.isEmpty());
}

// For random events the explanation arrives at what the calculation stores.
TEST_F(ExplanationFixture, RandomEventsExplainTheStoredResult)
{
    setup.classTree.push_back({u"N3<*>(11:00:00|003:00:00|00:10:00)"_s, 0});
    rule(45, 52, 7);
    rule(52, 31, 3);
    QRandomGenerator random(2028);
    const char *codes[] = {"31", "45", "52", "60", "77", "F", "I", "O", "S"};
    qint64 number = 0;
    int full = 0;
    for (int event = 0; event < 15; ++event) {
        setup.settings.controlCard = random.bounded(2) ? EventSettings::CardPerRunner : EventSettings::CardPerTeam;
        const int windows[] = {-1, 0, 30, 60, 300};
        setup.settings.punchWindowSeconds = windows[random.bounded(5)];
        setup.settings.penaltySpanSeconds = 1 + random.bounded(120);
        setup.settings.penaltyPoints = -random.bounded(20);
        for (int t = 0; t < 8; ++t) {
            const qint64 id = team(++number, random.bounded(4) ? u"H6"_s : u"N3"_s);
            if (random.bounded(6) == 0)
                updateRow(*data, u"team"_s, id, {{"status", static_cast<int>(random.bounded(11))}});
            std::vector<qint64> runners;
            for (int r = 0, n = 1 + random.bounded(3); r < n; ++r)
                runners.push_back(runner(id, random.bounded(5) != 0));
            if (random.bounded(5) == 0)
                runners.push_back(90'000 + number); // a runner of no team of the event
            for (int p = 0, n = random.bounded(30); p < n; ++p) {
                const char *code = codes[random.bounded(static_cast<int>(std::size(codes)))];
                const int statuses[] = {PunchReadOK, PunchReadOK, PunchReadOK, PunchMan, PunchDQ, PunchUnknown};
                // Punches cluster around a few moments, so that windows, visits and repeats all occur.
                const QTime time = QTime(10, 0).addSecs(static_cast<int>(random.bounded(8)) * 3000 + static_cast<int>(random.bounded(400)));
                punch(id, runners[random.bounded(static_cast<int>(runners.size()))], code, time.toString(u"HH:mm:ss"_s),
                      statuses[random.bounded(6)]);
            }
            if (random.bounded(3))
                for (qint64 r : runners)
                    punch(id, r, "F", QTime(15, 40).addSecs(static_cast<int>(random.bounded(3600))).toString(u"HH:mm:ss"_s));

            SCOPED_TRACE(number);
            const TeamExplanation explanation = explain(number);
            const bool written = calculate(number);
            const Row row = teamRow(id);
            EXPECT_EQ(explanation.fullResult, written);
            EXPECT_EQ(explanation.status, row.value("status").toInt());
            if (written) {
                ++full;
                EXPECT_EQ(explanation.points, row.value("points").toLongLong());
                EXPECT_EQ(explanation.penalty, row.value("penalty").toLongLong());
                EXPECT_EQ(explanation.result, row.value("result").toLongLong());
            }
            // Once stored, the explanation never finds the row different.
            const QString last = explain(number).lines.last();
            EXPECT_FALSE(last.startsWith(u"Stored now"_s) || last.startsWith(u"The team has not been calculated"_s)
                         || last.startsWith(u"The team row still holds"_s))
                << explain(number).lines.join(u'\n').toStdString();
        }
    }
    EXPECT_GT(full, 12); // enough full results to hold the numbers together
}
