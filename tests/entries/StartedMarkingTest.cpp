#include "EventDatabaseFixture.h"

#include "entries/StartedMarking.h"

namespace {

struct StartedMarkingFixture : EventDatabaseFixture
{
    qint64 team = 0;
    void SetUp() override
    {
        EventDatabaseFixture::SetUp();
        team = data->insertRow(QStringLiteral("team"), {{"number", 1}, {"name", QStringLiteral("Mõisa")}});
    }
    qint64 addRunner(const char *lastName, bool started, int punches)
    {
        const qint64 runner = data->insertRow(QStringLiteral("runner"), {{"team_id", team}, {"lastname", QString::fromUtf8(lastName)},
                                                                        {"started", started ? 1 : 0}});
        for (int i = 0; i < punches; ++i)
            data->insertRow(QStringLiteral("res_cp"), {{"team_id", team}, {"runner_id", runner}, {"KP", QStringLiteral("31")}});
        return runner;
    }
    QStringList started()
    {
        QStringList names;
        for (const Row &runner : data->selectRows(QStringLiteral("runner"), {{"started", 1}}, {QStringLiteral("id")}))
            names.append(runner.value(QStringLiteral("lastname")).toString());
        return names;
    }
};

} // namespace

TEST_F(StartedMarkingFixture, ReadOutRunnersOrAllOfThem)
{
    const struct { StartedRunners which; QStringList started; const char *summary; } cases[] = {
        {StartedRunners::ReadOut, {QStringLiteral("Šmidt"), QStringLiteral("Ütt"), QStringLiteral("Kask")},
         "Marked 2 runners as started, 1 were already"},
        {StartedRunners::All, {QStringLiteral("Šmidt"), QStringLiteral("Ütt"), QStringLiteral("Kask"), QStringLiteral("Pärn")},
         "Marked 3 runners as started, 1 were already"},
    };
    for (const auto &c : cases) {
        data->connection().exec(QStringLiteral("DELETE FROM runner"));
        data->connection().exec(QStringLiteral("DELETE FROM res_cp"));
        addRunner("Šmidt", false, 2);
        addRunner("Ütt", true, 1);
        addRunner("Kask", false, 1);
        addRunner("Pärn", false, 0);
        EXPECT_EQ(StartedMarkSummaryText(MarkRunnersStarted(data->connection(), c.which)), QLatin1String(c.summary));
        EXPECT_EQ(started(), c.started);
        // Again: nothing more to mark.
        EXPECT_EQ(MarkRunnersStarted(data->connection(), c.which).marked, 0);
    }
}
