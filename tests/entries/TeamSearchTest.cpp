#include "EventDatabaseFixture.h"
#include "TestFolder.h"
#include "EventRows.h"

#include "base/KorventError.h"
#include "entries/TeamControls.h"
#include "entries/TeamPickLists.h"
#include "entries/TeamSearch.h"
#include "entries/TeamsText.h"
#include "store/DateTime.h"
#include "store/TimeHelpers.h"
#include "store/uData.h"

#include <gtest/gtest.h>

namespace {

struct TeamSearchCases : EventDatabaseFixture
{
    qint64 team(int number, const char *name)
    {
        return insertRow(*data, QStringLiteral("team"), {{"number", number}, {"name", QString::fromUtf8(name)}});
    }
    qint64 runner(qint64 teamId, const char *lastName, const char *chip = "")
    {
        return insertRow(*data, QStringLiteral("runner"),
                              {{"team_id", teamId}, {"lastname", QString::fromUtf8(lastName)}, {"chipnr", QLatin1String(chip)}});
    }
    // The teams the search steps through, as the window's Find button does;
    // a team found twice in a row shows once.
    std::vector<qint64> hits(const char *field, const QString &text)
    {
        RunnerSearch search;
        std::vector<qint64> teams;
        if (!search.start(data->connection(), QLatin1String(field), text))
            return teams;
        teams.push_back(search.current());
        for (qint64 team = search.next(); team != teams.back(); team = search.next())
            teams.push_back(team);
        return teams;
    }
};

} // namespace

using TeamSearchFixture = OnEachEngine<TeamSearchCases>;
EVENT_TESTS_ON_EACH_ENGINE(TeamSearchFixture);

TEST(TeamFilterValue, NumberFieldsTakeAWholeNumberOrZero)
{
    EXPECT_EQ(TeamFilterValue(QStringLiteral("number"), QStringLiteral("12")), QVariant(qint64(12)));
    EXPECT_EQ(TeamFilterValue(QStringLiteral("number"), QStringLiteral("12x")), QVariant(qint64(0)));
    EXPECT_EQ(TeamFilterValue(QStringLiteral("number"), QStringLiteral(" 7 ")), QVariant(qint64(7)));
    EXPECT_EQ(TeamFilterValue(QStringLiteral("class"), QStringLiteral("h12 ")), QVariant(QStringLiteral("h12 ")));
    EXPECT_THROW(TeamFilterValue(QStringLiteral("nosuch"), QStringLiteral("1")), KorventError);
}

TEST_P(TeamSearchFixture, HitsAreTheTeamsOfMatchingRunnersOneEach)
{
    const qint64 marsh = team(1, "One"), tamar = team(2, "Two"), both = team(3, "Three");
    team(4, "None");
    runner(marsh, "Marsh");
    runner(tamar, "Tamar");
    runner(both, "Lamarr");
    runner(both, "Omar");
    const qint64 last = team(5, "Five");
    runner(last, "Amara");

    RunnerSearch search;
    ASSERT_TRUE(search.start(data->connection(), QStringLiteral("lastname"), QStringLiteral("mar")));
    EXPECT_EQ(search.current(), marsh);
    EXPECT_EQ(search.next(), tamar);
    EXPECT_EQ(search.next(), both);
    EXPECT_EQ(search.next(), both); // once for each of its runners
    EXPECT_EQ(search.next(), last);
    EXPECT_EQ(search.next(), last);
    search.reset();
    EXPECT_FALSE(search.active());
    EXPECT_FALSE(search.start(data->connection(), QStringLiteral("lastname"), QStringLiteral("xyz")));
    EXPECT_FALSE(search.active());
    EXPECT_THROW(search.start(data->connection(), QStringLiteral("1=1; DROP TABLE runner; --"), QStringLiteral("a")), KorventError);
}

TEST_P(TeamSearchFixture, TheOperatorsTextFindsWhatItSaysAndNothingElse)
{
    const qint64 quote = team(1, "A"), percent = team(2, "B"), plain = team(3, "C"), accented = team(4, "D");
    runner(quote, "O'Brien");
    runner(percent, "100%", "50%1");
    runner(plain, "Brien", "5001");
    runner(accented, "Mägi");
    const struct { const char *field; const char *text; std::vector<qint64> expected; } cases[] = {
        {"lastname", "o'b", {quote}},
        {"lastname", "\"", {}},
        {"lastname", "%", {percent}},
        {"lastname", "_", {}},
        {"lastname", "*", {}},
        {"lastname", "[a-z]", {}},
        {"lastname", "MÄGI", {accented}},
        {"lastname", "brien", {quote, plain}},
        {"chipnr", "0%", {percent}},
        {"chipnr", "500", {plain}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(hits(c.field, QString::fromUtf8(c.text)), c.expected) << c.text;
}

TEST(TeamPickLists, SubClassesOnlyInTreeOrder)
{
    const ClassTree tree = {{QStringLiteral("H12<*>(12:00:00|012:00:00|00:30:00)"), 0}, {QStringLiteral("H12V"), 1},
                            {QStringLiteral("H12J"), 1}, {QStringLiteral("D6<*>(10:00:00|006:00:00|00:30:00)"), 0},
                            {QStringLiteral("D6"), 1}};
    EXPECT_EQ(ClassPickList(tree), QStringList({"D6", "H12J", "H12V"}));
    EXPECT_EQ(ExtraClassPickList(QStringLiteral("SC1;SC2")), QStringList({"SC1", "SC2"}));
    EXPECT_TRUE(ExtraClassPickList(QString()).isEmpty());
    EXPECT_EQ(ExtraClassPickList(QStringLiteral("x;").repeated(26)).size(), 26);
    EXPECT_THROW(ExtraClassPickList(QStringLiteral("x;").repeated(27)), KorventError);
    EXPECT_EQ(CountryPickList({{QStringLiteral("EST"), QStringLiteral("Estonia")}, {QStringLiteral("FIN"), QString()}}),
              QStringList({"EST", "FIN"}));
}

TEST_P(TeamSearchFixture, TeamControlsInTimeOrderWithTheirRunners)
{
    const qint64 id = team(5, "Owls");
    const qint64 ann = insertRow(*data, QStringLiteral("runner"),
                                      {{"team_id", id}, {"firstname", "Ann"}, {"lastname", "Lee"}, {"chipnr", "8001234"}});
    const qint64 bob = insertRow(*data, QStringLiteral("runner"), {{"team_id", id}, {"firstname", "Bob"}, {"lastname", "Longername"}});
    for (const auto &[runnerId, code, time] : {std::tuple{bob, "45", "11:00:00"}, {ann, "31", "10:30:00"}})
        insertRow(*data, QStringLiteral("res_cp"), {{"team_id", id}, {"runner_id", runnerId}, {"KP", code}, {"status", 8},
                                                  {"ctime", QStringLiteral("2026-06-13 ") + QLatin1String(time)}});
    const auto rows = TeamControlRows(data->connection(), id);
    ASSERT_EQ(rows.size(), 2u);
    const QString annTime = DateTimeText(true, DateTime::fromDateAndTime(QDate(2026, 6, 13), QTime(10, 30)));
    EXPECT_EQ(rows[0], QStringList({"31", annTime, "8", "Ann", "Lee", "8001234"}));
    EXPECT_EQ(rows[1].at(0), QStringLiteral("45"));
    EXPECT_EQ(TeamControlTitles(), QStringList({"KP", "Time", "Status", "Firstname", "Lastname", "Chipnr"}));

    // Columns as wide as their longest value plus one blank; date and status columns fixed.
    const QStringList lines = TeamControlPrintLines(rows);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[0].isEmpty());
    const QString expected = QStringLiteral("31 ") + annTime.leftJustified(21) + QStringLiteral("8   Ann Lee        8001234 ");
    EXPECT_EQ(lines[1], expected);
    EXPECT_EQ(lines[2].indexOf(QLatin1String("Longername")), lines[1].indexOf(QLatin1String("Lee")));
}

TEST(TeamControlPageLayout, FromOneLineDownToTwoLinesAboveTheBottom)
{
    // Line height 10, page height 100: tops 10 .. 80 on a page; a top past 80 starts the next page.
    const auto pages = TeamControlPageLayout(12, 10, 100);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0], (std::vector<int>{10, 20, 30, 40, 50, 60, 70, 80}));
    EXPECT_EQ(pages[1], (std::vector<int>{10, 20, 30, 40}));
    // A page that ends with the last line is not followed by an empty one.
    EXPECT_EQ(TeamControlPageLayout(8, 10, 100).size(), 1u);
    EXPECT_TRUE(TeamControlPageLayout(0, 10, 100).empty());
}

TEST_P(TeamSearchFixture, TeamsWithTheirRunnersAsText)
{
    const qint64 second = team(2, "Two");
    const qint64 first = team(1, "One");
    insertRow(*data, QStringLiteral("runner"), {{"team_id", first}, {"firstname", "Ann"}, {"lastname", "Lee"}, {"sex", "W"},
                                              {"birthdate", "1980-05-17"}, {"chipnr", "101"}, {"country", "EST"}, {"rentchip", true},
                                              {"started", true}});
    runner(second, "Ox");
    EXPECT_EQ(TeamsWithRunnersText(data->connection()),
              QStringList({"1\tOne\t\t\t\t\t\tNA", "\tAnn\tLee\tW\t1980-05-17\t101\tEST\trent\tstarted", "2\tTwo\t\t\t\t\t\tNA",
                           "\t\tOx\t\t\t\t\t\t"}));
}

TEST_P(TeamSearchFixture, ATeamWithoutNumberIsListedFirstWithAnEmptyNumber)
{
    runner(team(1, "One"), "Lee");
    const qint64 unnumbered = insertRow(*data, QStringLiteral("team"), {{"name", "Late"}});
    runner(unnumbered, "Ox");
    insertRow(*data, QStringLiteral("runner"), {{"team_id", unnumbered}, {"firstname", "Eva"}});
    EXPECT_EQ(TeamsWithRunnersText(data->connection()),
              QStringList({"\tLate\t\t\t\t\t\tNA", "\tEva\t\t\t\t\t\t\t", "\t\tOx\t\t\t\t\t\t", "1\tOne\t\t\t\t\t\tNA",
                           "\t\tLee\t\t\t\t\t\t"}));
}
