#include "ReadoutFixture.h"
#include "EventRows.h"

#include "readout/ReadoutComputation.h"
#include "readout/ReadoutReply.h"
#include "readout/ReadoutStore.h"

#include "db/Connection.h"
#include "store/StatusTexts.h"

#include <QSqlQuery>

using ReadoutStore = OnEachEngine<ReadoutFixture>;
EVENT_TESTS_ON_EACH_ENGINE(ReadoutStore);

TEST_P(ReadoutStore, TheOwnerOfAChip)
{
    const ReadoutOwner owner = FindReadoutOwner(data->connection(), QStringLiteral("8001234"));
    EXPECT_TRUE(owner.refusal.isEmpty());
    EXPECT_EQ(owner.runnerId, runnerId);
    EXPECT_EQ(owner.teamId, teamId);
    EXPECT_EQ(owner.teamNumber, QStringLiteral("12"));
    EXPECT_EQ(owner.teamClass, QStringLiteral("A"));
    EXPECT_EQ(FindReadoutOwner(data->connection(), QStringLiteral("999")).refusal, QStringLiteral("Wrong chip nr"));
    insertRow(*data, QStringLiteral("runner"), {{"team_id", 999}, {"chipnr", "555"}});
    EXPECT_EQ(FindReadoutOwner(data->connection(), QStringLiteral("555")).refusal, QStringLiteral("No Team record"));
}

TEST_P(ReadoutStore, StoringReplacesTheRunnersRowsOrAddsToThem)
{
    const qint64 otherRunner = insertRow(*data, QStringLiteral("runner"), {{"team_id", teamId}, {"chipnr", "8001235"}});
    insertRow(*data, QStringLiteral("res_cp"), {{"runner_id", runnerId}, {"team_id", teamId}, {"KP", "99"}, {"status", PunchReadOK}});
    insertRow(*data, QStringLiteral("res_cp"), {{"runner_id", otherRunner}, {"team_id", teamId}, {"KP", "98"}, {"status", PunchReadOK}});
    const ReadoutOwner owner = FindReadoutOwner(data->connection(), QStringLiteral("8001234"));
    ComputedReadout computed;
    const SerialDateTime noon = DateTime::fromDateAndTime(QDate(2026, 6, 13), QTime(12, 10));
    computed.rows = {{QStringLiteral("31"), PunchReadOK, noon, 3}, {QStringLiteral("F"), PunchReadOK, noon + 0.1, 0}};
    const auto store = [&] {
        db::Transaction transaction(data->connection());
        StoreReadout(data->connection(), owner, computed);
        transaction.commit();
    };
    store();
    EXPECT_EQ(punchRows(QStringLiteral("runner_id=%1").arg(runnerId)), 2);
    EXPECT_EQ(punchRows(QStringLiteral("runner_id=%1 AND KP='31' AND count=3 AND ctime='2026-06-13 12:10:00'").arg(runnerId)), 1);
    EXPECT_EQ(punchRows(QStringLiteral("runner_id=%1").arg(otherRunner)), 1);
    computed.replacesEarlierRows = false;
    store();
    EXPECT_EQ(punchRows(QStringLiteral("runner_id=%1").arg(runnerId)), 4);
}

TEST(ReadoutReply, TheReplyText)
{
    const std::optional<ReadoutRecord> record = ParseReadoutRecord(QStringLiteral("8001234;0;0;5430000;8;2;31;43800;77;44000"));
    ASSERT_TRUE(record);
    ReadoutOwner owner;
    owner.teamNumber = QStringLiteral("12");
    owner.firstName = QStringLiteral("Ann");
    owner.lastName = QStringLiteral("Lee");
    owner.teamClass = QStringLiteral("A");
    owner.teamName = QStringLiteral("Team 12");
    ComputedReadout computed;
    computed.start = 4'320'000;
    computed.finish = 5'430'000;
    computed.runningTime = 1'110'000;
    computed.points = -3;
    computed.punches = {{31, 4'380'000, 1}, {-1, -1, 4}};
    computed.distances = QStringLiteral("1000;0;");
    EXPECT_EQ(ReadoutReplyText(*record, owner, computed),
              QStringLiteral("S 8001234;4320000;5430000;1110000;-3;12;Ann;Lee;A;Team 12;;2;31;4380000;1;-1;-1;4;1000;0;"));
    owner.rentChip = true;
    EXPECT_TRUE(ReadoutReplyText(*record, owner, computed).contains(QStringLiteral(";Team 12;True;2;")));
    EXPECT_EQ(ReadoutErrorReply(QStringLiteral("Wrong chip nr")), QStringLiteral("E \"Wrong chip nr\""));
}
