#include "EventDatabaseFixture.h"
#include "EventRows.h"

#include "base/KorventError.h"
#include "entries/TeamNumbering.h"

#include <QVariant>

namespace {

struct TeamNumberingFixture : EventDatabaseFixture
{
    // Teams in entry order: their number (0 for none) and class.
    void addTeams(std::initializer_list<std::pair<int, const char *>> teams)
    {
        for (const auto &[number, className] : teams)
            insertRow(*data, QStringLiteral("team"), {{"number", number > 0 ? QVariant(number) : QVariant()},
                                                     {"class", QString::fromUtf8(className)}});
    }
    // The numbers in entry order, 0 for none.
    std::vector<qint64> numbers()
    {
        std::vector<qint64> result;
        for (const Row &team : selectRows(*data, QStringLiteral("team"), {}, {QStringLiteral("id")}))
            result.push_back(team.value(QStringLiteral("number")).toLongLong());
        return result;
    }
};

} // namespace

TEST_F(TeamNumberingFixture, TeamsWithoutANumberGetTheNextFreeOnesInEntryOrder)
{
    const struct
    {
        const char *name;
        std::optional<qint64> from;
        const char *className;
        std::vector<qint64> expected;
        const char *summary;
    } cases[] = {
        // Above the highest number used, the 3 held by a team skipped nowhere.
        {"above the highest", std::nullopt, "", {5, 6, 3, 7, 8}, "Numbered 3 teams: 6-8"},
        // From 1: the numbers that teams hold are passed over.
        {"from one", 1, "", {5, 1, 3, 2, 4}, "Numbered 3 teams: 1-4, 1 number in use skipped"},
        {"one class", 100, "Põhja ÄÜ", {5, 0, 3, 100, 0}, "Numbered 1 team: 100"},
    };
    for (const auto &c : cases) {
        data->connection().exec(QStringLiteral("DELETE FROM team"));
        addTeams({{5, "A"}, {0, "A"}, {3, "B"}, {0, "Põhja ÄÜ"}, {0, "B"}});
        const NumberingSummary summary = NumberTeams(data->connection(), c.from, QString::fromUtf8(c.className));
        EXPECT_EQ(numbers(), c.expected) << c.name;
        EXPECT_EQ(NumberingSummaryText(summary), QLatin1String(c.summary)) << c.name;
    }
}

TEST_F(TeamNumberingFixture, NumberedEventsAndEmptyOnesAreLeftAsTheyAre)
{
    EXPECT_EQ(NumberingSummaryText(NumberTeams(data->connection(), std::nullopt, QString())),
              QStringLiteral("Numbered 0 teams: no team is without a number"));
    addTeams({{0, "A"}, {0, "A"}});
    EXPECT_EQ(NumberTeams(data->connection(), std::nullopt, QString()).first, 1);
    EXPECT_EQ(NumberTeams(data->connection(), 50, QString()).numbered, 0);
    EXPECT_EQ(numbers(), (std::vector<qint64>{1, 2}));
}

TEST_F(TeamNumberingFixture, ABadStartOrNumbersRunningOutChangeNothing)
{
    addTeams({{0, "A"}, {2147483646, "A"}, {0, "A"}, {0, "A"}});
    for (const std::optional<qint64> from : {std::optional<qint64>(0), std::optional<qint64>(-3), std::optional<qint64>(2147483648LL),
                                             std::optional<qint64>(2147483645), std::optional<qint64>()}) {
        EXPECT_THROW(NumberTeams(data->connection(), from, QString()), KorventError) << from.value_or(-1);
        EXPECT_EQ(numbers(), (std::vector<qint64>{0, 2147483646, 0, 0}));
    }
}
