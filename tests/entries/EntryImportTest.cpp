#include "DatabaseDump.h"
#include "EventDatabaseFixture.h"
#include "EventRows.h"
#include "RecordedProgress.h"
#include "TestFolder.h"

#include "base/KorventError.h"
#include "base/Platform.h"
#include "entries/EntryImport.h"
#include "store/EventSettings.h"
#include "store/uData.h"

#include <QScopeGuard>
#include <gtest/gtest.h>

namespace {

const QString header = QStringLiteral("id;team;club;class;first;last;born;sex;chip;country;extra");

struct EntryImportCases : EventDatabaseFixture
{
    TeamImportSummary importTeams(const QStringList &lines) { return ImportTeams(data->connection(), QStringList{header} + lines); }
    std::vector<Row> teams() { return selectRows(*data, QStringLiteral("team"), {}, {QStringLiteral("id")}); }
    std::vector<Row> runners() { return selectRows(*data, QStringLiteral("runner"), {}, {QStringLiteral("id")}); }
    Row runnerWithChip(const char *chip)
    {
        const auto rows = selectRows(*data, QStringLiteral("runner"), {{QStringLiteral("chipnr"), QLatin1String(chip)}});
        return rows.empty() ? Row() : rows.front();
    }
    qint64 addTeam(int number, const char *name)
    {
        return insertRow(*data, QStringLiteral("team"), {{"number", number}, {"name", QLatin1String(name)}});
    }
    qint64 addRunner(qint64 team, const char *lastName, const char *chip = "")
    {
        return insertRow(*data, QStringLiteral("runner"), {{"team_id", team}, {"lastname", QLatin1String(lastName)}, {"chipnr", QLatin1String(chip)}});
    }
    // The error text of the call; empty when it raised none.
    template <typename Call>
    static QString errorOf(Call call)
    {
        try {
            call();
        } catch (const KorventError &error) {
            return error.message();
        }
        return QString();
    }
};

} // namespace

using EntryImportFixture = OnEachEngine<EntryImportCases>;
EVENT_TESTS_ON_EACH_ENGINE(EntryImportFixture);

TEST_P(EntryImportFixture, LinesOfOneEntryMakeOneTeamWithARunnerEach)
{
    const TeamImportSummary summary = importTeams({QStringLiteral("12;Team A;Club;H12;Ann;Lee;00.00.0000;W;  8001234 ;EST"),
                                                   QStringLiteral("12;Team A;Club;H12;Bob;Lee;1980-05-17;M;8001235;EST")});
    EXPECT_EQ(summary.teamsAdded, 1);
    EXPECT_EQ(summary.runnersAdded, 2);
    const auto stored = teams();
    ASSERT_EQ(stored.size(), 1u);
    const Row &team = stored.front();
    EXPECT_EQ(team.value("entryID").toInt(), 12);
    EXPECT_EQ(team.value("name").toString(), QStringLiteral("Team A"));
    EXPECT_EQ(team.value("club").toString(), QStringLiteral("Club"));
    EXPECT_EQ(team.value("class").toString(), QStringLiteral("H12"));
    EXPECT_EQ(team.value("country").toString(), QStringLiteral("EST"));
    EXPECT_EQ(team.value("status").toInt(), 9);
    EXPECT_TRUE(team.value("number").isNull());
    EXPECT_TRUE(team.value("subclass").isNull());

    const Row ann = runnerWithChip("8001234");
    EXPECT_EQ(ann.value("team_id"), team.value("id"));
    EXPECT_EQ(ann.value("firstname").toString(), QStringLiteral("Ann"));
    EXPECT_EQ(ann.value("lastname").toString(), QStringLiteral("Lee"));
    EXPECT_EQ(ann.value("sex").toString(), QStringLiteral("W"));
    EXPECT_EQ(ann.value("country").toString(), QStringLiteral("EST"));
    EXPECT_TRUE(ann.value("birthdate").isNull());
    EXPECT_EQ(ann.value("started").toInt(), 0);
    EXPECT_EQ(runnerWithChip("8001235").value("birthdate").toString(), QStringLiteral("1980-05-17"));
}

TEST_P(EntryImportFixture, SeparatorsQuotesAndTheExtraClassGiveTheSameValues)
{
    const QString birth = QLocale::system().toString(QDate(1975, 12, 1), Platform::shortDateFormat());
    importTeams({
        QStringLiteral("1,Commas,Club,H12,Ann,Lee,%1,W,101,EST").arg(birth),
        QStringLiteral(R"("2";"Quoted";Club;"H12";"Ann";"Lee";"%1";"W";" 102 ";"EST")").arg(birth),
        QStringLiteral("3;Empty extra;Club;H12;Ann;Lee;;W;103;EST;"),
        QStringLiteral("4;Extra;Club;H12;Ann;Lee;;W;104;EST;SC1"),
        QStringLiteral("5;Eight fields;Club;H12;Ann;Lee;;W"),
    });
    const auto stored = teams();
    ASSERT_EQ(stored.size(), 4u);
    for (const Row &team : stored) {
        EXPECT_EQ(team.value("club").toString(), QStringLiteral("Club")) << team.value("name").toString().toStdString();
        EXPECT_EQ(team.value("class").toString(), QStringLiteral("H12"));
    }
    EXPECT_EQ(stored[1].value("name").toString(), QStringLiteral("Quoted"));
    EXPECT_TRUE(stored[2].value("subclass").isNull());
    EXPECT_EQ(stored[3].value("subclass").toString(), QStringLiteral("SC1"));
    for (const char *chip : {"101", "102"}) {
        const Row runner = runnerWithChip(chip);
        EXPECT_EQ(runner.value("firstname").toString(), QStringLiteral("Ann")) << chip;
        EXPECT_EQ(runner.value("birthdate").toString(), QStringLiteral("1975-12-01")) << chip;
    }
    EXPECT_EQ(runners().size(), 4u);
}

TEST_P(EntryImportFixture, ATeamIsFoundByItsEntryIdAndKeepsItsNumber)
{
    const qint64 existing = addTeam(7, "Old name");
    updateRow(*data, QStringLiteral("team"), existing, {{"entryID", 40}, {"status", 1}});
    const TeamImportSummary summary = importTeams({QStringLiteral("40;New name;Club;H12;Ann;Lee;;W;101;EST"),
                                                   QStringLiteral("41;Other;Club;H12;Bob;Ox;;M;102;EST")});
    EXPECT_EQ(summary.teamsUpdated, 1);
    EXPECT_EQ(summary.teamsAdded, 1);
    const Row team = *findRow(*data, QStringLiteral("team"), existing);
    EXPECT_EQ(team.value("name").toString(), QStringLiteral("New name"));
    EXPECT_EQ(team.value("number").toInt(), 7);
    EXPECT_EQ(team.value("status").toInt(), 9);
    EXPECT_EQ(runnerWithChip("101").value("team_id").toLongLong(), existing);
    // A second import updates the teams and adds every runner again.
    importTeams({QStringLiteral("40;New name;Club;H12;Ann;Lee;;W;101;EST")});
    EXPECT_EQ(teams().size(), 2u);
    EXPECT_EQ(runners().size(), 3u);
}

TEST_P(EntryImportFixture, OfTwoTeamsWithOneEntryIdTheFirstIsFound)
{
    const qint64 first = addTeam(1, "First");
    const qint64 second = addTeam(2, "Second");
    for (const qint64 id : {first, second})
        updateRow(*data, QStringLiteral("team"), id, {{"entryID", 40}});
    importTeams({QStringLiteral("40;Entered;Club;H12;Ann;Lee;;W;101;EST")});
    EXPECT_EQ(runnerWithChip("101").value("team_id").toLongLong(), first);
    EXPECT_EQ(findRow(*data, QStringLiteral("team"), first)->value("name").toString(), QStringLiteral("Entered"));
    EXPECT_EQ(findRow(*data, QStringLiteral("team"), second)->value("name").toString(), QStringLiteral("Second"));
}

TEST_P(EntryImportFixture, ABadLineKeepsNothingOfTheFileAndSaysWhereAndWhy)
{
    const qint64 existing = addTeam(1, "Kept");
    updateRow(*data, QStringLiteral("team"), existing, {{"entryID", 12}});
    const QString good = QStringLiteral("12;Changed;Club;H12;Ann;Lee;;W;101;EST");
    const struct { QString line; const char *reason; } cases[] = {
        {QString(), "empty"},
        {QStringLiteral("13;B;Club;H12;Bob;Ox;31.02.1980;M;102;EST"), "\"31.02.1980\" is not a date: no such day"},
        {QStringLiteral("13;B;Club;H12;Bob;Ox;29.02.1999;M;102;EST"), "\"29.02.1999\" is not a date: no such day"},
        {QStringLiteral("13;B;Club;H12;Bob;Ox;31.04.2000;M;102;EST"), "\"31.04.2000\" is not a date: no such day"},
        {QStringLiteral("13;B;Club;H12;Bob;Ox;1980-02-31;M;102;EST"), "\"1980-02-31\" is not a date: no such day"},
        {QStringLiteral("13;B;Club;H12;Bob;Ox;31.12.1899;M;102;EST"), "\"31.12.1899\" is before 1900-01-01"},
        {QStringLiteral("13;B;Club;H12;Bob;Ox;") + QDate::currentDate().addDays(1).toString(Qt::ISODate) + QStringLiteral(";M;102;EST"),
         "is after today"},
        {QStringLiteral("13;B;Club;H12;Bob;Ox;19/01/1996x;M;102;EST"), "\"19/01/1996x\" is not a date of the form"},
        {QStringLiteral("13;B;Club;H12;Bob;Ox;;M;102;EST") + QStringLiteral(";x").repeated(12), "21"},
        {QStringLiteral("13;B;Club;H12;Bob;Ox;;M;12345678901;EST"), "Chipnr"},
    };
    for (const auto &c : cases) {
        const QString message = errorOf([&] { importTeams({good, QStringLiteral("14;C;Club;H12;Cid;Ox;;M;103;EST"), c.line}); });
        EXPECT_TRUE(message.startsWith(QLatin1String("Line 4: "))) << message.toStdString();
        EXPECT_TRUE(message.contains(QLatin1String(c.reason))) << message.toStdString();
        EXPECT_EQ(teams().size(), 1u);
        EXPECT_EQ(findRow(*data, QStringLiteral("team"), existing)->value("name").toString(), QStringLiteral("Kept"));
        EXPECT_TRUE(runners().empty());
    }
    // Mended, the file goes in whole.
    importTeams({good, QStringLiteral("14;C;Club;H12;Cid;Ox;;M;103;EST")});
    EXPECT_EQ(teams().size(), 2u);
    EXPECT_EQ(runners().size(), 2u);
}

TEST_P(EntryImportFixture, AHugeFieldIsQuotedShortInTheError)
{
    const QString huge(1'000'000, u'7');
    const struct { QString line; const char *reason; } cases[] = {
        {QStringLiteral("13;") + huge + QStringLiteral(";Club;H12;Bob;Ox;;M;102;EST"), "is longer than 100 characters"},
        {QStringLiteral("13;B;Club;H12;Bob;Ox;") + huge + QStringLiteral(";M;102;EST"), "is not a date"},
    };
    for (const auto &c : cases) {
        const QString message = errorOf([&] { importTeams({c.line}); });
        EXPECT_TRUE(message.startsWith(QLatin1String("Line 2: "))) << message.left(200).toStdString();
        EXPECT_TRUE(message.contains(QLatin1String(c.reason))) << message.left(200).toStdString();
        EXPECT_TRUE(message.contains(QLatin1String("\"7777777777"))) << message.left(200).toStdString();
        EXPECT_LT(message.size(), 300) << message.left(200).toStdString();
    }
    EXPECT_TRUE(teams().empty());
}

TEST_P(EntryImportFixture, FilesAreReadInTheChosenEncoding)
{
    const QString file = folderOf(dir) + QStringLiteral("import.csv");
    const QString text = QStringLiteral("id\r\n1;Mägi;Club;H12;Õie;Šarov;;W;101;EST\r\n");
    for (const QString &encoding : {QStringLiteral("UTF-8"), QStringLiteral("Unicode"), QStringLiteral("Big Endian Unicode"),
                                    QStringLiteral("UTF-7"), QStringLiteral("ANSI")}) {
        writeFile(file, *Platform::encodeTextFile(encoding, text));
        EXPECT_EQ(ReadImportLines(file, encoding), QStringList({"id", "1;Mägi;Club;H12;Õie;Šarov;;W;101;EST"})) << encoding.toStdString();
    }
    // The program's code page.
    ASSERT_TRUE(Platform::setTextEncoding(QStringLiteral("windows-1257")));
    const auto restore = qScopeGuard([] { Platform::setTextEncoding(QStringLiteral("UTF-8")); });
    writeFile(file, "id\n1;M\xe4gi\n");
    EXPECT_EQ(ReadImportLines(file, QStringLiteral("ANSI")), QStringList({"id", "1;Mägi"}));
    // Bytes that are not UTF-8 name their line.
    const QString message = errorOf([&] { ReadImportLines(file, QStringLiteral("UTF-8")); });
    EXPECT_TRUE(message.contains(QLatin1String("Line 2"))) << message.toStdString();
    EXPECT_FALSE(errorOf([&] { ReadImportLines(file, QStringLiteral("Latin-9")); }).isEmpty());
    EXPECT_FALSE(errorOf([&] { ReadImportLines(folderOf(dir) + QStringLiteral("missing.csv"), QStringLiteral("UTF-8")); }).isEmpty());
}

TEST_P(EntryImportFixture, HostileFilesGiveTheirLinesOrAClearError)
{
    const QString file = folderOf(dir) + QStringLiteral("hostile.csv");
    const struct {
        QByteArray bytes;
        QStringList lines;
        const char *error;
    } cases[] = {
        {"id\r1;A\r2;B\r", {"id", "1;A", "2;B"}, nullptr},
        {"id\r\n1;A\r2;B\n3;C", {"id", "1;A", "2;B", "3;C"}, nullptr},
        {"id\r\n1;A\r\n\xef\xbb\xbfid\r\n2;B\r\n", {"id", "1;A", "id", "2;B"}, nullptr},
        {QByteArray("id\n1;T\0eam\n", 11), {}, "Line 2 holds a NUL character"},
        {QByteArray("i\0d\0\n\0", 6), {}, "Line 1 holds a NUL character"},
    };
    for (const auto &c : cases) {
        writeFile(file, c.bytes);
        if (c.error)
            EXPECT_TRUE(errorOf([&] { ReadImportLines(file, QStringLiteral("UTF-8")); }).contains(QLatin1String(c.error)))
                << c.bytes.toStdString();
        else
            EXPECT_EQ(ReadImportLines(file, QStringLiteral("UTF-8")), c.lines) << c.bytes.toStdString();
    }
    // A device is read without end or, as here, as nothing at all.
    EXPECT_TRUE(errorOf([&] { ReadImportLines(QStringLiteral("/dev/null"), QStringLiteral("UTF-8")); })
                    .contains(QLatin1String("not a plain file")));
}

TEST_P(EntryImportFixture, ChipsPerTeamGoToTeamsWithoutAnyChip)
{
    const qint64 first = addTeam(1, "Has a chip");
    addRunner(first, "Aho", "500");
    addRunner(first, "Berg");
    const qint64 second = addTeam(2, "None");
    const qint64 bergId = addRunner(second, "Berg");
    const qint64 ahoId = addRunner(second, "Aho");
    addTeam(3, "No runners");
    const qint64 fourth = addTeam(4, "Also none");
    const qint64 lastId = addRunner(fourth, "Lind");

    const ChipImportSummary summary = ImportChips(data->connection(), {"901", "902", "903"}, EventSettings::CardPerTeam);
    EXPECT_EQ(summary.chipsGiven, 2);
    EXPECT_FALSE(summary.listUsedUp);
    const Row aho = *findRow(*data, QStringLiteral("runner"), ahoId);
    EXPECT_EQ(aho.value("chipnr").toString(), QStringLiteral("901"));
    EXPECT_EQ(aho.value("rentchip").toInt(), 1);
    EXPECT_TRUE(findRow(*data, QStringLiteral("runner"), bergId)->value("chipnr").isNull());
    EXPECT_EQ(findRow(*data, QStringLiteral("runner"), lastId)->value("chipnr").toString(), QStringLiteral("902"));
    EXPECT_TRUE(runnerWithChip("903").isEmpty());
}

// Empty numbers and names come first, as in the event's own file.
TEST_P(EntryImportFixture, ChipsGoFirstToTheTeamWithoutNumberAndTheRunnerWithoutName)
{
    const qint64 numbered = addTeam(1, "Numbered");
    const qint64 aho = addRunner(numbered, "Aho");
    const qint64 unnumbered = insertRow(*data, QStringLiteral("team"), {{"name", "Unnumbered"}});
    const qint64 kask = addRunner(unnumbered, "Kask");
    const qint64 nameless = insertRow(*data, QStringLiteral("runner"), {{"team_id", unnumbered}});
    const auto chipOf = [&](qint64 runnerId) { return findRow(*data, QStringLiteral("runner"), runnerId)->value("chipnr").toString(); };

    ImportChips(data->connection(), {"901"}, EventSettings::CardPerTeam);
    EXPECT_EQ(chipOf(nameless), QStringLiteral("901"));
    ImportChips(data->connection(), {"902", "903"}, EventSettings::CardPerRunner);
    EXPECT_EQ(chipOf(kask), QStringLiteral("902"));
    EXPECT_EQ(chipOf(aho), QStringLiteral("903"));
}

TEST_P(EntryImportFixture, ChipsPerRunnerUntilTheListIsUsedUp)
{
    const qint64 team = addTeam(1, "Team");
    addRunner(team, "Aho", "500");
    const qint64 berg = addRunner(team, "Berg");
    const qint64 cole = addRunner(team, "Cole");
    const qint64 other = addTeam(2, "Other");
    const qint64 dahl = addRunner(other, "Dahl");

    const ChipImportSummary summary = ImportChips(data->connection(), {"901", "902"}, EventSettings::CardPerRunner);
    EXPECT_EQ(summary.chipsGiven, 2);
    EXPECT_TRUE(summary.listUsedUp);
    EXPECT_EQ(findRow(*data, QStringLiteral("runner"), berg)->value("chipnr").toString(), QStringLiteral("901"));
    EXPECT_EQ(findRow(*data, QStringLiteral("runner"), cole)->value("chipnr").toString(), QStringLiteral("902"));
    EXPECT_TRUE(findRow(*data, QStringLiteral("runner"), dahl)->value("chipnr").isNull());

    EXPECT_EQ(errorOf([&] { ImportChips(data->connection(), {}, EventSettings::CardPerRunner); }), QStringLiteral("List is empty"));
    // A bad chip line gives no chip at all.
    const QString message = errorOf([&] { ImportChips(data->connection(), {"903", ""}, EventSettings::CardPerRunner); });
    EXPECT_TRUE(message.startsWith(QLatin1String("Line 2: "))) << message.toStdString();
    EXPECT_TRUE(findRow(*data, QStringLiteral("runner"), dahl)->value("chipnr").isNull());
}

TEST_P(EntryImportFixture, StartListMarksTheRunnerOfTheSecondField)
{
    const qint64 team = addTeam(1, "Team");
    const qint64 ann = addRunner(team, "Lee", "8001234");
    const qint64 bob = addRunner(team, "Ox", "8001235");
    const StartedImportSummary summary = LoadStarted(data->connection(), {"101;8001234", "8001235", "", "102;999"});
    EXPECT_EQ(summary.runnersStarted, 1);
    EXPECT_EQ(summary.linesPassedOver, 3);
    EXPECT_EQ(findRow(*data, QStringLiteral("runner"), ann)->value("started").toInt(), 1);
    EXPECT_EQ(findRow(*data, QStringLiteral("runner"), bob)->value("started").toInt(), 0);

    // A line of more than 6 fields keeps the whole list out.
    const QString message = errorOf([&] { LoadStarted(data->connection(), {"1;8001235", "1;2;3;4;5;6;7"}); });
    EXPECT_TRUE(message.startsWith(QLatin1String("Line 2: "))) << message.toStdString();
    EXPECT_EQ(findRow(*data, QStringLiteral("runner"), bob)->value("started").toInt(), 0);
}

TEST_P(EntryImportFixture, CancelledPartWayEveryImportLeavesEveryTableAsBefore)
{
    const qint64 known = addTeam(1, "Ölands");
    updateRow(*data, QStringLiteral("team"), known, {{"entryID", 12}, {"status", 1}});
    addRunner(known, "Lee", "8001234");
    for (int number = 2; number <= 5; ++number)
        addRunner(addTeam(number, "Järve"), "Ox");
    const QStringList entries{header, QStringLiteral("12;Ölands;Club;H12;Ann;Lee;;W;8001299;EST"),
                              QStringLiteral("13;Team B;Club;H12;Bob;Ox;;M;8001300;EST"),
                              QStringLiteral("14;Team C;Club;H12;Cy;Põld;;M;;EST"),
                              QStringLiteral("15;Team D;Club;H12;Di;Uus;;W;;EST")};
    const QStringList chips{"901", "902", "903", "904", "905", "906", "907", "908", "909"};
    const QStringList started{"1;8001234", "2;8001299", "3;8001300", "4;999"};

    const struct
    {
        const char *name;
        std::function<void(WorkProgress &)> import;
        qint64 steps; // the whole run's
    } cases[] = {
        {"teams", [&](WorkProgress &progress) { ImportTeams(data->connection(), entries, progress); }, 4},
        // A step a team: the five and the three the entry file added.
        {"chips per runner", [&](WorkProgress &progress) { ImportChips(data->connection(), chips, EventSettings::CardPerRunner, progress); }, 8},
        {"started", [&](WorkProgress &progress) { LoadStarted(data->connection(), started, progress); }, 4},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QStringList before = DatabaseDump(data->connection());
        RecordedProgress progress;
        progress.stopAtLook = 3;
        EXPECT_THROW(c.import(progress), WorkCancelled);
        EXPECT_EQ(DatabaseDump(data->connection()), before);
        EXPECT_EQ(progress.disorder(), QString());
        ASSERT_FALSE(progress.steps.empty());
        EXPECT_EQ(progress.steps.front().total, c.steps);

        // Not cancelled, the same import changes the tables, and its steps end full.
        RecordedProgress whole;
        c.import(whole);
        EXPECT_NE(DatabaseDump(data->connection()), before);
        EXPECT_EQ(whole.disorder(), QString());
        EXPECT_EQ(whole.steps.back().done, c.steps);
    }
}
