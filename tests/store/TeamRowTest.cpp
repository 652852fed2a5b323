#include "EventDatabaseFixture.h"

#include "db/StoredValue.h"
#include "store/TeamRow.h"

#include <QSqlQuery>

using TeamRowTest = EventDatabaseFixture;

using TeamRowOnEngine = OnEachEngine<TeamRowTest>;
EVENT_TESTS_ON_EACH_ENGINE(TeamRowOnEngine);

TEST_P(TeamRowOnEngine, ReadsColumnsByNameInAnyOrderAndLeavesOthersAtDefault)
{
    db::Connection &connection = data->connection();
    connection.exec(QStringLiteral("INSERT INTO team (number, name, class, subclass, status, start, points, penalty, result, rtime, "
                                   "inCenter, calctime) VALUES (12, 'Öökull & Co', 'H12', 'MV', 1, '2026-05-16 10:00:00', 80, -6, 74, "
                                   "21910, 1200, '2026-05-16 17:00:00')"));
    connection.exec(QStringLiteral("INSERT INTO team (name) VALUES ('Unnumbered')"));

    QSqlQuery rows = connection.exec(QStringLiteral(
        "SELECT calctime, inCenter, rtime, result, penalty, points, start, status, subclass, class, name, number, id FROM team ORDER BY id"));
    const TeamRowReader reader(rows);
    ASSERT_TRUE(rows.next());
    const TeamRow owls = reader.read(rows);
    EXPECT_EQ(owls.id, 1);
    EXPECT_EQ(owls.number, 12);
    EXPECT_TRUE(owls.numbered);
    EXPECT_EQ(owls.name, QStringLiteral("Öökull & Co"));
    EXPECT_EQ(owls.className, QStringLiteral("H12"));
    EXPECT_EQ(owls.subclass, QStringLiteral("MV"));
    EXPECT_EQ(owls.status, 1);
    EXPECT_EQ(owls.start, DateTime::fromDateAndTime(QDate(2026, 5, 16), QTime(10, 0)));
    EXPECT_EQ(owls.finis, 0); // not asked for
    EXPECT_TRUE(owls.club.isEmpty());
    EXPECT_EQ(owls.points, 80);
    EXPECT_EQ(owls.penalty, -6);
    EXPECT_EQ(owls.result, 74);
    EXPECT_EQ(owls.rtime, 21910);
    EXPECT_EQ(owls.inCenter, 1200);
    EXPECT_TRUE(owls.calculated);

    ASSERT_TRUE(rows.next());
    const TeamRow unnumbered = reader.read(rows);
    EXPECT_EQ(unnumbered.name, QStringLiteral("Unnumbered"));
    EXPECT_EQ(unnumbered.number, 0);
    EXPECT_FALSE(unnumbered.numbered);
    EXPECT_FALSE(unnumbered.calculated);
}

TEST_P(TeamRowOnEngine, FirstTeamWithANumberIsTheOldestRow)
{
    db::Connection &connection = data->connection();
    connection.exec(QStringLiteral("INSERT INTO team (id, number, name) VALUES (5, 7, 'Second'), (3, 7, 'First'), (4, 8, 'Other')"));
    EXPECT_EQ(FirstTeamNumbered(connection, 7), 3);
    EXPECT_EQ(FirstTeamNumbered(connection, 8), 4);
    EXPECT_EQ(FirstTeamNumbered(connection, 9), std::nullopt);
}

TEST_F(TeamRowTest, CalculatedIsOneRuleForTheRowAndTheQueries)
{
    db::Connection &connection = data->connection();
    const struct
    {
        const char *stored; // an SQL literal
        bool calculated;
    } cases[] = {
        {"NULL", false}, {"''", false}, {"0", false}, {"0.0", false}, {"'2026-05-16 17:00:00'", true}, {"'2026-05-16 17:00'", true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.stored);
        connection.exec(QStringLiteral("DELETE FROM team"));
        connection.exec(QStringLiteral("INSERT INTO team (number, calctime) VALUES (1, %1)").arg(QLatin1String(c.stored)));
        QSqlQuery rows = connection.exec(QStringLiteral("SELECT calctime FROM team"));
        const TeamRowReader reader(rows);
        ASSERT_TRUE(rows.next());
        EXPECT_EQ(reader.read(rows).calculated, c.calculated);
        EXPECT_EQ(connection.scalar(QStringLiteral("SELECT count(*) FROM team WHERE ") + db::StoredTimeIsSetSql(QStringLiteral("calctime"))).toInt(),
                  c.calculated ? 1 : 0);
    }
}
