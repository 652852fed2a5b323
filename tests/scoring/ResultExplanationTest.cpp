#include "ScoringFixture.h"
#include "EventRows.h"

#include "scoring/CorrectionLog.h"
#include "scoring/PunchCorrections.h"
#include "scoring/ResultExplanation.h"
#include "store/StatusTexts.h"

#include <QRandomGenerator>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

struct ExplanationFixture : ScoringFixture
{
    void SetUp() override
    {
        ScoringFixture::SetUp();
        setup.settings.controlCard = EventSettings::CardPerRunner;
        setup.settings.punchWindowSeconds = 60;
        setup.settings.penaltyPoints = -10;
        setup.settings.penaltySpanSeconds = 60;
        // Class H6: 10:00:00 start, 6 hours, 30 minutes of penalty time.
        control("31", 30);
        control("45", 40);
        control("52", 50);
        control("60", 0);
        control("F", 0, "F");
        control("I", 0, "I");
        control("O", 0, "O");
        rule(31, 45, 10);
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
     {"31: Åsa Öberg 10:30:00; Bob Lind 10:30:20. OK at 10:30:20: both runners needed punched within 20 s (from 10:30:00), "
      "inside the punch window of 60 s. 30 points."}},
    {"OverInt.: the members further apart than the window",
     [](ExplanationFixture &f, qint64 t, qint64 a, qint64 b) {
         f.punch(t, a, "31", "10:30:00");
         f.punch(t, b, "31", "10:32:00");
     },
     {"OverInt. at 10:32:00: both runners needed punched, but 120 s apart (from 10:30:00), more than the punch window of 60 s; no points."}},
    {"MP: a member missing",
     [](ExplanationFixture &f, qint64 t, qint64 a, qint64) { f.punch(t, a, "45", "11:15:00"); },
     {"45: Åsa Öberg 11:15:00; Bob Lind missing.", "MP (missing punch): only 1 of the 2 runners needed punched it; no points."}},
    {"Double: the runners came back after the visit that counted",
     [](ExplanationFixture &f, qint64 t, qint64 a, qint64 b) {
         f.punch(t, a, "31", "10:00:00");
         f.punch(t, b, "31", "10:00:20");
         f.punch(t, a, "31", "10:30:00");
         f.punch(t, b, "31", "10:30:10");
     },
     {"Control card per runner: a control counts when both runners punch it (started: Åsa Öberg, Bob Lind) within the punch window of 60 s.",
      "OK at 10:00:20", "Double at 10:30:10: the runners punched it again (10 s apart) after the visit that counted; no points."}},
    {"Double: an earlier visit with no window to check",
     [](ExplanationFixture &f, qint64 t, qint64 a, qint64 b) {
         f.setup.settings.punchWindowSeconds = -1;
         f.punch(t, a, "31", "10:00:00");
         f.punch(t, b, "31", "10:10:00");
     },
     {"the punch window is not checked.", "OK at 10:10:00: the latest punch counts; the punch window is not checked.",
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
     {"OverInt. at 10:05:00: all 3 runners needed punched, but 300 s apart",
      "OverInt. at 10:05:10: the punches never brought all 3 runners needed together within the punch window of 60 s "
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
     {"Listed at 12:00:00: I is not a scoring control (its code does not start with a number), so its first punch is listed as OK.",
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
     {"OK: both runners needed punched the finish; the team's finish time is the last of their punches, 16:05:10.",
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
     {"OverInt.: only 1 of the 2 runners needed punched the finish, so the team has no finish time.",
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
      "Not weighed: the team needs no runner at its controls.", "31: Åsa Öberg (not started) 10:30:00"}},
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
    EXPECT_TRUE(text.contains(u"Status DSQ stays: it was set by hand, and a calculation keeps OB, W/D, DSQ and DNS (it would have given OK). "
                              "Edit log: \"Team:4 Status:NA >DQS\"."_s))
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
    EXPECT_TRUE(lines.last().startsWith(u"Stored now: result 0, status NA"_s)) << lines.last().toStdString();
    ASSERT_TRUE(calculate(5));
    EXPECT_FALSE(explain(5).lines.last().startsWith(u"Stored now"_s));

    EXPECT_THROW(explain(99), KorventError);
}

// For random events the explanation arrives at what the calculation stores.
TEST_F(ExplanationFixture, RandomEventsExplainTheStoredResult)
{
    setup.classTree.push_back({u"N3<*>(11:00:00|003:00:00|00:10:00)"_s, 0});
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
                updateRow(*data, u"team"_s, id, {{"status", 1 + static_cast<int>(random.bounded(9))}});
            std::vector<qint64> runners;
            for (int r = 0, n = 1 + random.bounded(3); r < n; ++r)
                runners.push_back(runner(id, random.bounded(5) != 0));
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
            EXPECT_FALSE(explain(number).lines.last().startsWith(u"Stored now"_s)) << explain(number).lines.join(u'\n').toStdString();
        }
    }
    EXPECT_GT(full, 12); // enough full results to hold the numbers together
}
