#include "EventDatabaseFixture.h"
#include "EventRows.h"

#include "db/EditableTableModel.h"
#include "entries/TeamDeletion.h"
#include "store/EventSchema.h"

using TeamDeletionTest = EventDatabaseFixture;

// As the teams window deletes teams: through its grid's model.
TEST_F(TeamDeletionTest, ADeletedTeamTakesItsRunnersAndLeavesItsPunches)
{
    const qint64 foxes = insertRow(*data, QStringLiteral("team"), {{"number", 1}, {"name", "Füchse"}});
    const qint64 hares = insertRow(*data, QStringLiteral("team"), {{"number", 2}});
    const qint64 anna = insertRow(*data, QStringLiteral("runner"), {{"team_id", foxes}, {"lastname", "Anna"}});
    insertRow(*data, QStringLiteral("runner"), {{"team_id", foxes}, {"lastname", "Bert"}});
    insertRow(*data, QStringLiteral("runner"), {{"team_id", hares}, {"lastname", "Cleo"}});
    insertRow(*data, QStringLiteral("res_cp"), {{"team_id", foxes}, {"runner_id", anna}, {"KP", "31"}});

    db::EditableTableModel teams(data->connection(), EventTable(QStringLiteral("team")));
    teams.setOrder({QStringLiteral("number")});
    teams.setBeforeDelete(&DeleteRunnersOfTeams);
    teams.select();
    const int row = teams.rowOf(foxes);
    ASSERT_GE(row, 0);
    teams.removeStoredRows(row, 1);

    EXPECT_FALSE(findRow(*data, QStringLiteral("team"), foxes));
    EXPECT_TRUE(selectRows(*data, QStringLiteral("runner"), {{"team_id", foxes}}).empty());
    EXPECT_EQ(selectRows(*data, QStringLiteral("runner"), {{"team_id", hares}}).size(), 1u);
    EXPECT_EQ(selectRows(*data, QStringLiteral("res_cp"), {{"team_id", foxes}}).size(), 1u);
}
