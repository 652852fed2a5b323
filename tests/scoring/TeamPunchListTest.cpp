#include "scoring/TeamPunchList.h"
#include "store/StatusTexts.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace {

constexpr qint64 A = 1, B = 2, C = 3;

struct P
{
    qint64 runner;
    const char *code;
    const char *time; // hh:mm:ss on the event day
    int status = PunchReadOK;
};

struct E
{
    const char *code;
    const char *time;
    int status;
    qint64 seconds;
};

SerialDateTime at(const char *time)
{
    return DateTime::fromDateAndTime(QDate(2026, 6, 13), QTime::fromString(QLatin1String(time), QStringLiteral("HH:mm:ss")));
}

// Punches in index order (code as text, time, id), as the calculation reads them.
std::vector<StoredPunch> stored(const std::vector<P> &punches)
{
    std::vector<StoredPunch> rows;
    qint64 id = 0;
    for (const P &p : punches)
        rows.push_back(StoredPunch{++id, p.runner, QString::fromLatin1(p.code), at(p.time), p.status});
    std::stable_sort(rows.begin(), rows.end(), [](const StoredPunch &x, const StoredPunch &y) {
        return x.code != y.code ? x.code < y.code : x.time < y.time;
    });
    return rows;
}

struct Case
{
    const char *name;
    int required;
    int window;
    std::vector<P> punches;
    std::vector<E> expected;
    const char *finish = nullptr; // expected finish time, when complete
};

const Case cases[] = {
    {"team card: a runner's repeats are dropped before grouping", 1, -1,
     {{A, "31", "10:00:00"}, {A, "31", "10:03:00"}, {A, "31", "10:10:00"}},
     {{"31", "10:00:00", PunchOK, 0}}},
    {"team card, two runners: the latest scores, an earlier visit is Double", 1, -1,
     {{A, "31", "10:00:00"}, {B, "31", "10:02:00"}, {A, "31", "10:10:00"}},
     {{"31", "10:02:00", PunchDouble, 0}, {"31", "10:10:00", PunchOK, 0}}},
    {"runner cards, window 60: together within the window", 2, 60,
     {{A, "31", "10:00:00"}, {B, "31", "10:00:30"}},
     {{"31", "10:00:30", PunchOK, 30}}},
    {"runner cards, window 60: too far apart", 2, 60,
     {{A, "31", "10:00:00"}, {B, "31", "10:02:00"}},
     {{"31", "10:02:00", PunchOverInterval, 120}}},
    {"runner cards: one of two punched", 2, 60,
     {{A, "45", "11:15:00"}},
     {{"45", "11:15:00", PunchMissing, 0}}},
    {"runner cards, no window: later punch scores, earlier beyond 300 s is Double", 2, -1,
     {{A, "31", "10:00:00"}, {B, "31", "10:10:00"}},
     {{"31", "10:00:00", PunchDouble, 0}, {"31", "10:10:00", PunchOK, 0}}},
    {"runner cards, window: a second complete visit is Double", 2, 60,
     {{A, "31", "10:00:00"}, {B, "31", "10:00:30"}, {A, "31", "10:20:00"}, {B, "31", "10:20:10"}},
     {{"31", "10:00:30", PunchOK, 30}, {"31", "10:20:10", PunchDouble, 10}}},
    {"runner cards, window: every window start gives an OverInt. entry until one fits", 2, 60,
     {{A, "31", "10:00:00"}, {B, "31", "10:05:00"}, {A, "31", "10:10:00"}},
     {{"31", "10:05:00", PunchOverInterval, 300}, {"31", "10:10:00", PunchOverInterval, 300}}},
    {"runner cards, window: a last punch outside every window closes with OverInt.", 3, 60,
     {{A, "31", "10:00:00"}, {B, "31", "10:01:00"}, {C, "31", "10:02:00"}, {B, "31", "10:03:00"}},
     {{"31", "10:02:00", PunchOverInterval, 120}, {"31", "10:03:00", PunchOverInterval, 180}}},
    {"a runner's own repeat next to the earlier punch is not counted", 2, 60,
     {{A, "31", "10:00:00"}, {A, "31", "10:01:00", PunchMan}},
     {{"31", "10:00:00", PunchMissing, 0}}},
    {"a hand-entered first punch keeps its status", 1, -1,
     {{A, "31", "10:00:00", PunchMan}, {B, "31", "10:00:05"}},
     {{"31", "10:00:00", PunchMan, 0}}},
    {"a punch of an unknown control never appears", 1, -1,
     {{A, "31", "10:00:00"}, {A, "?", "10:05:00", PunchUnknown}, {A, "77", "10:06:00", PunchUnknown}},
     {{"31", "10:00:00", PunchOK, 0}}},
    {"finish by one of two runners: OverInt., no finish time", 2, -1,
     {{A, "31", "10:00:00"}, {B, "31", "10:00:10"}, {A, "F", "16:05:00"}},
     {{"31", "10:00:10", PunchOK, 0}, {"F", "16:05:00", PunchOverInterval, 0}}},
    {"finish by both: the last finish punch is the finish time", 2, 60,
     {{A, "F", "16:05:00"}, {B, "F", "16:05:10"}},
     {{"F", "16:05:10", PunchOK, 0}}, "16:05:10"},
    {"special controls: a new visit after more than 300 s", 1, -1,
     {{A, "I", "12:00:00"}, {B, "I", "12:05:00"}, {A, "I", "12:05:01"}, {A, "S", "09:59:00"}},
     {{"S", "09:59:00", PunchOK, 0}, {"I", "12:00:00", PunchOK, 0}, {"I", "12:05:01", PunchOK, 0}}},
    {"no required runners: nothing scores", 0, -1,
     {{A, "31", "10:00:00"}},
     {}},
    {"equal times keep the exchange sort's order", 1, -1,
     {{A, "31", "11:00:00"}, {A, "32", "11:00:00"}, {A, "33", "10:00:00"}},
     {{"33", "10:00:00", PunchOK, 0}, {"32", "11:00:00", PunchOK, 0}, {"31", "11:00:00", PunchOK, 0}}},
};

} // namespace

TEST(TeamPunchList, CasesOfTheScoringRules)
{
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const TeamPunchEvaluation evaluation = EvaluateTeamPunches(stored(c.punches), c.required, c.window);
        ASSERT_FALSE(evaluation.tooManyPunches);
        ASSERT_EQ(evaluation.list.size(), c.expected.size());
        for (size_t i = 0; i < c.expected.size(); ++i) {
            const tControlRes &entry = evaluation.list[i];
            EXPECT_EQ(entry.code, QLatin1String(c.expected[i].code)) << "entry " << i;
            EXPECT_EQ(entry.time, at(c.expected[i].time)) << "entry " << i;
            EXPECT_EQ(entry.status, c.expected[i].status) << "entry " << i;
            EXPECT_EQ(entry.seconds, c.expected[i].seconds) << "entry " << i;
            EXPECT_EQ(entry.runnerId, 0);
        }
        EXPECT_EQ(evaluation.finishTime, c.finish ? at(c.finish) : 0.0);
    }
}

TEST(TeamPunchList, EntriesPointAtThePunchTheyStandFor)
{
    // The finish entry takes the last finish time but keeps the first punch's id.
    const std::vector<StoredPunch> punches = stored({{A, "F", "16:05:00"}, {B, "F", "16:05:10"}});
    const TeamPunchEvaluation evaluation = EvaluateTeamPunches(punches, 2, -1);
    ASSERT_EQ(evaluation.list.size(), 1u);
    EXPECT_EQ(evaluation.list[0].punchId, punches[0].id);
    EXPECT_EQ(evaluation.list[0].time, punches[1].time);
}

TEST(TeamPunchList, MoreThanTwentyFivePunchesAtOneControlStopTheTeam)
{
    std::vector<P> punches;
    std::vector<QByteArray> times;
    for (int i = 0; i < 26; ++i)
        times.push_back(QTime(10, 0).addSecs(i * 10).toString(QStringLiteral("HH:mm:ss")).toLatin1());
    for (int i = 0; i < 26; ++i)
        punches.push_back({i % 2 ? A : B, "31", times[static_cast<size_t>(i)].constData()});
    EXPECT_TRUE(EvaluateTeamPunches(stored(punches), 1, -1).tooManyPunches);
    punches.pop_back();
    EXPECT_FALSE(EvaluateTeamPunches(stored(punches), 1, -1).tooManyPunches);
}
