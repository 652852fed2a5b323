#include "EventDatabaseFixture.h"
#include "EventRows.h"

#include "liveresults/LiveChanges.h"

namespace {

// One team with three punches; each case changes one punch column as a hand
// correction does, leaving count, highest id and the sum of statuses as they were.
struct LiveChangesCases : EventDatabaseFixture
{
    qint64 team = 0;
    qint64 first = 0;
    qint64 second = 0;

    void SetUp() override
    {
        EventDatabaseFixture::SetUp();
        team = insertRow(*data, QStringLiteral("team"), {{"number", 5}, {"name", "Ühe Viis"}, {"class", "A"}});
        const qint64 runner = insertRow(*data, QStringLiteral("runner"), {{"team_id", team}, {"firstname", "Ann"}});
        first = insertRow(*data, QStringLiteral("res_cp"), {{"team_id", team}, {"runner_id", runner}, {"KP", "31"}, {"status", 1}, {"count", 3},
                                                             {"ctime", "2026-06-13 12:10:00"}});
        second = insertRow(*data, QStringLiteral("res_cp"), {{"team_id", team}, {"runner_id", runner}, {"KP", "45"}, {"status", 5}, {"count", 4},
                                                              {"ctime", "2026-06-13 12:40:00"}});
        insertRow(*data, QStringLiteral("res_cp"), {{"team_id", team}, {"runner_id", runner}, {"KP", "F"}, {"status", 1}, {"ctime", "2026-06-13 15:05:00"}});
    }
    QString state() { return ReadTeamStates(data->connection()).value(team).text; }
};
using LiveChanges = OnEachEngine<LiveChangesCases>;

TEST_P(LiveChanges, EveryChangeOfAPunchChangesItsTeamsState)
{
    const QString before = state();
    ASSERT_EQ(state(), before);
    const struct
    {
        const char *what;
        QString sql;
    } changes[] = {
        {"swapped statuses", QStringLiteral("UPDATE res_cp SET status=6-status WHERE id IN (%1, %2)").arg(first).arg(second)},
        {"a time a second later", QStringLiteral("UPDATE res_cp SET ctime='2026-06-13 12:10:01' WHERE id=%1").arg(first)},
        {"swapped times", QStringLiteral("UPDATE res_cp SET ctime=CASE WHEN id=%1 THEN '2026-06-13 12:40:00' ELSE '2026-06-13 12:10:00' END "
                                         "WHERE id IN (%1, %2)").arg(first).arg(second)},
        {"another control", QStringLiteral("UPDATE res_cp SET KP='34' WHERE id=%1").arg(first)},
        {"a time taken away", QStringLiteral("UPDATE res_cp SET ctime=NULL WHERE id=%1").arg(first)},
    };
    for (const auto &change : changes) {
        SCOPED_TRACE(change.what);
        data->connection().exec(QStringLiteral("BEGIN"));
        data->connection().exec(change.sql);
        EXPECT_NE(state(), before);
        data->connection().exec(QStringLiteral("ROLLBACK"));
        ASSERT_EQ(state(), before);
    }
}

EVENT_TESTS_ON_EACH_ENGINE(LiveChanges);

} // namespace
