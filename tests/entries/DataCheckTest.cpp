#include "EventDatabaseFixture.h"
#include "RecordedProgress.h"
#include "EventRows.h"
#include "TestFolder.h"

#include "base/KorventError.h"
#include "entries/DataCheck.h"
#include "store/uData.h"

#include <gtest/gtest.h>

namespace {

struct DataCheckCases : EventDatabaseFixture
{
    qint64 team(const QVariant &number, const char *name, const char *className)
    {
        Row values{{"name", QString::fromUtf8(name)}, {"class", QString::fromUtf8(className)}};
        if (number.isValid())
            values.insert(QStringLiteral("number"), number);
        return insertRow(*data, QStringLiteral("team"), values);
    }
    void runner(qint64 teamId, const char *first, const char *last, const char *chip, bool started = false)
    {
        insertRow(*data, QStringLiteral("runner"), {{"team_id", teamId}, {"firstname", QString::fromUtf8(first)}, {"lastname", QString::fromUtf8(last)},
                                                  {"chipnr", QString::fromUtf8(chip)}, {"started", started}});
    }
    std::vector<CheckRule> rules(const QStringList &lines)
    {
        std::vector<CheckRule> list;
        for (const QString &line : lines)
            list.push_back(CheckRuleOfLine(line));
        return list;
    }
    QStringList check(const std::vector<CheckRule> &list, const std::vector<bool> &chosen, const ClassTree &tree = {})
    {
        return RunDataCheck(data->connection(), list, chosen, tree);
    }
};

} // namespace

// The checks whose statements and texts every engine takes alike.
using DataCheckFixture = OnEachEngine<DataCheckCases>;
EVENT_TESTS_ON_EACH_ENGINE(DataCheckFixture);
// Those that name SQLite's own messages or run without end.
using DataCheckOnFile = DataCheckCases;

TEST(CheckRules, TitleBeforeTheFirstBarStatementAfterIt)
{
    const struct { const char *line; const char *title; const char *statement; } cases[] = {
        {"Runners without chip|SELECT firstname FROM runner", "Runners without chip", "SELECT firstname FROM runner"},
        {"Names|SELECT firstname || ' ' || lastname FROM runner", "Names", "SELECT firstname || ' ' || lastname FROM runner"},
        {"SELECT 1", "", "SELECT 1"},
    };
    for (const auto &c : cases) {
        const CheckRule rule = CheckRuleOfLine(QString::fromUtf8(c.line));
        EXPECT_EQ(rule.title, QString::fromUtf8(c.title));
        EXPECT_EQ(rule.statement, QString::fromUtf8(c.statement));
    }
}

TEST(CheckRules, FileInFileOrderWithoutBlankLinesMissingFileIsNone)
{
    QTemporaryDir dir;
    const QString file = folderOf(dir) + QStringLiteral("rules.kvchk");
    writeFile(file, "B|SELECT 2\r\n\r\n  \r\nA|SELECT 1\r\n");
    const auto rules = ReadCheckRules(file);
    ASSERT_TRUE(rules);
    ASSERT_EQ(rules->size(), 2u);
    EXPECT_EQ((*rules)[0].title, QStringLiteral("B"));
    EXPECT_EQ((*rules)[1].statement, QStringLiteral("SELECT 1"));
    EXPECT_FALSE(ReadCheckRules(folderOf(dir) + QStringLiteral("none.kvchk")));
    EXPECT_EQ(DataCheckRuleFileName(ProgramFiles::inProgramDirectory(QStringLiteral("/prog/"))), QStringLiteral("/prog/common/checklist.kvchk"));
}

TEST_P(DataCheckFixture, RunnersWithoutChipReportsOneLinePerRunner)
{
    const qint64 id = team(1, "Foxes", "H12");
    runner(id, "Ann", "Lee", "");
    runner(id, "Bob", "Ray", "555");
    const auto list = rules({QStringLiteral("Runners without chip|SELECT firstname, lastname FROM runner WHERE chipnr IS NULL")});
    EXPECT_EQ(check(list, {true}), QStringList({"*** Runners without chip ***", "Ann;Lee;"}));
}

TEST_P(DataCheckFixture, OnlyCheckedRulesRunAndPassingOnesAddNothing)
{
    const qint64 id = team(7, "Foxes", "");
    runner(id, "Ann", "Lee", "101");
    const auto list = rules({QStringLiteral("Without chip|SELECT firstname FROM runner WHERE chipnr IS NULL"),
                             QStringLiteral("Without class|SELECT number, name, class FROM team WHERE class IS NULL"),
                             QStringLiteral("Numbers|SELECT number FROM team")});
    // Only the second finds rows: the report begins with its heading.
    EXPECT_EQ(check(list, {true, true, false}), QStringList({"*** Without class ***", "7;Foxes;;"}));
    EXPECT_EQ(check(list, {false, false, true}), QStringList({"*** Numbers ***", "7;"}));
    EXPECT_TRUE(check(list, {false, false, false}).isEmpty());
    EXPECT_TRUE(check(list, {true, false, false}).isEmpty());
}

TEST_F(DataCheckOnFile, RejectedOrChangingStatementStopsNamingTheCheckAndChangesNothing)
{
    team(1, "Foxes", "H12");
    const struct { const char *rule; const char *expected; } cases[] = {
        {"Broken|SELECT nosuch FROM team", "Check \"Broken\": no such column: nosuch (line 1, column 8)"},
        {"Teams without class", "Check \"\": near \"Teams\": syntax error (line 1, column 1)"},
        {"Sneaky|DELETE FROM team", "Check \"Sneaky\": Only queries are taken here; this statement would change data (line 1, column 1)"},
        {"Locked|PRAGMA query_only=1", "Check \"Locked\": PRAGMA query_only is not taken here: pragmas may only read, not change "
                                       "the settings of the database or of the program's connection (line 1, column 1)"},
    };
    for (const auto &c : cases) {
        try {
            check(rules({QStringLiteral("First|SELECT number FROM team"), QString::fromUtf8(c.rule)}), {true, true});
            ADD_FAILURE() << c.rule;
        } catch (const KorventError &error) {
            EXPECT_EQ(error.message(), QString::fromUtf8(c.expected));
        }
    }
    EXPECT_EQ(data->rowCount(QStringLiteral("team")), 1);
    // The checks ran on the program's own connection, which still writes.
    team(2, "Owls", "H12");
    EXPECT_EQ(data->rowCount(QStringLiteral("team")), 2);
}

TEST_F(DataCheckOnFile, CheckFindingMoreThanAnyoneReadsStopsNamingIt)
{
    team(1, "Foxes", "H12");
    const auto list = rules({QStringLiteral("Teams|SELECT number FROM team"),
                             QStringLiteral("Endless|WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM c) SELECT n FROM c")});
    try {
        RunDataCheck(data->connection(), list, {true, true}, {}, 100);
        FAIL();
    } catch (const KorventError &error) {
        EXPECT_EQ(error.message(), QStringLiteral("Check \"Endless\": more than 100 findings; narrow the check"));
    }
    EXPECT_EQ(RunDataCheck(data->connection(), list, {true, false}, {}, 1), QStringList({"*** Teams ***", "1;"}));
}

TEST_F(DataCheckOnFile, CancelStopsACheckBetweenTheRowsItFinds)
{
    team(1, "Foxes", "H12");
    const auto list = rules({QStringLiteral("Teams|SELECT number FROM team"), QStringLiteral("Skipped|SELECT 1"),
                             QStringLiteral("Endless|WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM c) SELECT n FROM c")});
    RecordedProgress progress;
    progress.stopAtLook = 1000;
    // Cancelled, not a failed check: the window says nothing went wrong.
    EXPECT_THROW(RunDataCheck(data->connection(), list, {true, false, true}, {}, DataCheckMostFindings, progress), WorkCancelled);
    ASSERT_EQ(progress.steps.size(), 2u);
    EXPECT_EQ(progress.steps[0].what, QStringLiteral("Checking \"Teams\""));
    EXPECT_EQ(progress.steps[1].what, QStringLiteral("Checking \"Endless\""));
    EXPECT_EQ(progress.steps[1].done, 1);
    EXPECT_EQ(progress.steps[1].total, 2);
    EXPECT_EQ(progress.disorder(), QString());
    EXPECT_EQ(check(list, {true, false, false}), QStringList({"*** Teams ***", "1;"}));
}

TEST_P(DataCheckFixture, ShippedRulesFindWhatOrganisersLookFor)
{
    const auto rules = ReadCheckRules(QStringLiteral(KORVENT_SOURCE_DIR "/common/checklist.kvchk"));
    ASSERT_TRUE(rules);
    const ClassTree tree{{QStringLiteral("H12<*>(12:00:00|012:00:00|00:30:00)"), 0}, {QStringLiteral("H12V"), 1}};

    const qint64 good = team(1, "Good", "H12V");
    runner(good, "Ann", "Lee", "101", true);
    const qint64 noChip = team(2, "NoChip", "H12");
    runner(noChip, "Bob", "Ray", "");
    runner(noChip, "Cid", "Fox", "  ");
    const qint64 twice = team(3, "Twice", "H12");
    runner(twice, "Dan", "Oak", "101");
    const qint64 noClass = team(4, "NoClass", "");
    runner(noClass, "Eve", "Elm", "104");
    const qint64 unknownClass = team(5, "Unknown", "D6");
    runner(unknownClass, "Fay", "Ash", "105");
    team(6, "Empty", "H12");
    const qint64 noNumber = team(QVariant(), "NoNumber", "H12");
    runner(noNumber, "Gus", "Yew", "107");
    const qint64 same = team(5, "Same", "H12");
    runner(same, "Hal", "Fir", "108", true);
    // A calculated team's started runners are fine, and so are those of a
    // team calculated to "NARes.", which the calculation leaves without calctime.
    updateRow(*data, QStringLiteral("team"), good, {{"calctime", QStringLiteral("2026-06-13 12:00:00")}});
    const qint64 noResult = team(8, "NoResult", "H12");
    runner(noResult, "Ivy", "Elm", "109", true);
    updateRow(*data, QStringLiteral("team"), noResult, {{"status", 7}});

    const QStringList report = check(*rules, std::vector<bool>(rules->size(), true), tree);
    const QStringList expected{
        "*** Runners without chip ***", "2;NoChip;Cid;Fox;", "2;NoChip;Bob;Ray;",
        "*** Chips used twice ***", "101;1;Good;Ann;Lee;", "101;3;Twice;Dan;Oak;",
        "*** Teams without class ***", "4;NoClass;",
        "*** Classes not in the class tree ***", "5;Unknown;D6;",
        "*** Teams without runners ***", "6;Empty;",
        "*** Teams without number ***", "7;NoNumber;H12;",
        "*** Numbers used twice ***", "5;Same;H12;", "5;Unknown;D6;",
        "*** Started runners in teams never calculated ***", "5;Same;Hal;Fir;",
    };
    EXPECT_EQ(report, expected);
    EXPECT_EQ(rules->size(), 8u);
    // The class tree is offered for the run only.
    EXPECT_FALSE(data->connection().tableExists(QStringLiteral("classtree")));
}

TEST_P(DataCheckFixture, ChecksAreChosenByTitle)
{
    const auto list = rules({QStringLiteral("A|SELECT 1"), QStringLiteral("B|SELECT 2"), QStringLiteral("C|SELECT 3")});
    EXPECT_EQ(ChosenByTitle(list, {QStringLiteral("C"), QStringLiteral("A")}), std::vector<bool>({true, false, true}));
    try {
        ChosenByTitle(list, {QStringLiteral("D")});
        FAIL();
    } catch (const KorventError &error) {
        EXPECT_EQ(error.message(), QStringLiteral("There is no check \"D\" in the rule file; its checks are \"A\", \"B\", \"C\""));
    }
}
