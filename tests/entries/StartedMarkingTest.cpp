#include "EventDatabaseFixture.h"
#include "EventRows.h"

#include "entries/StartedMarking.h"
#include "store/EventSettings.h"

namespace {

struct StartedMarkingFixture : EventDatabaseFixture
{
    qint64 team = 0;
    qint64 otherTeam = 0;
    void SetUp() override
    {
        EventDatabaseFixture::SetUp();
        team = insertRow(*data, QStringLiteral("team"), {{"number", 1}, {"name", QStringLiteral("Mõisa")}});
        otherTeam = insertRow(*data, QStringLiteral("team"), {{"number", 2}, {"name", QStringLiteral("Järve")}});
    }
    qint64 addRunner(const char *lastName, bool started, int punches, qint64 teamId = 0)
    {
        const qint64 team = teamId ? teamId : this->team;
        const qint64 runner = insertRow(*data, QStringLiteral("runner"), {{"team_id", team}, {"lastname", QString::fromUtf8(lastName)},
                                                                        {"started", started ? 1 : 0}});
        for (int i = 0; i < punches; ++i)
            insertRow(*data, QStringLiteral("res_cp"), {{"team_id", team}, {"runner_id", runner}, {"KP", QStringLiteral("31")}});
        return runner;
    }
    QStringList started()
    {
        QStringList names;
        for (const Row &runner : selectRows(*data, QStringLiteral("runner"), {{"started", 1}}, {QStringLiteral("id")}))
            names.append(runner.value(QStringLiteral("lastname")).toString());
        return names;
    }
};

} // namespace

TEST_F(StartedMarkingFixture, ReadOutRunnersOrAllOfThemByTheEventsCards)
{
    const QStringList all = {QStringLiteral("Šmidt"), QStringLiteral("Ütt"), QStringLiteral("Kask"), QStringLiteral("Pärn"), QStringLiteral("Org")};
    const QString calculate = QStringLiteral(". Calculate again: with a card per runner the started runners decide how many must punch");
    const struct { StartedRunners which; int card; QStringList started; QString summary; } cases[] = {
        {StartedRunners::ReadOut, EventSettings::CardPerRunner, {QStringLiteral("Šmidt"), QStringLiteral("Ütt"), QStringLiteral("Kask")},
         QStringLiteral("Marked 2 runners as started, 1 was already") + calculate},
        // One card per team: its carrier's punches stand for every member of that team, none of a team without punches.
        {StartedRunners::ReadOut, EventSettings::CardPerTeam, all.first(4), QStringLiteral("Marked 3 runners as started, 1 was already")},
        {StartedRunners::All, EventSettings::CardPerRunner, all, QStringLiteral("Marked 4 runners as started, 1 was already") + calculate},
        {StartedRunners::All, EventSettings::CardPerTeam, all, QStringLiteral("Marked 4 runners as started, 1 was already")},
    };
    for (const auto &c : cases) {
        data->connection().exec(QStringLiteral("DELETE FROM runner"));
        data->connection().exec(QStringLiteral("DELETE FROM res_cp"));
        addRunner("Šmidt", false, 2);
        addRunner("Ütt", true, 1);
        addRunner("Kask", false, 1);
        addRunner("Pärn", false, 0);
        addRunner("Org", false, 0, otherTeam);
        EXPECT_EQ(CountRunnersToMarkStarted(data->connection(), c.which, c.card), c.started.size() - 1);
        EXPECT_EQ(StartedMarkSummaryText(MarkRunnersStarted(data->connection(), c.which, c.card)), c.summary);
        EXPECT_EQ(started(), c.started);
        // Again: nothing more to mark, and nothing to calculate again.
        const StartedMarkSummary again = MarkRunnersStarted(data->connection(), c.which, c.card);
        EXPECT_EQ(again.marked, 0);
        EXPECT_FALSE(again.calculateAgain);
    }
}
