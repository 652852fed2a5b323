#include "EventDatabaseFixture.h"
#include "EventRows.h"

#include "reports/StartReports.h"
#include "store/EventSetup.h"
#include "base/KorventError.h"
#include "registry/ReportRegistry.h"
#include "store/uData.h"

#include <gtest/gtest.h>

namespace {

struct ReportFixtureCases : EventDatabaseFixture
{
    EventSetup setup;
    MemoryReportOutput output;

    void SetUp() override
    {
        EventDatabaseFixture::SetUp();
        setup.settings.resultHeader = QStringLiteral("NON");
        setup.settings.eventDate = QDateTime(QDate(2012, 6, 30), QTime(0, 0));
    }
    // The report run through the registry: the page it shows.
    ReportFile run(ReportKind kind)
    {
        const std::optional<ReportFile> page = RunReport(ReportKindOf(kind), {data->connection(), setup, output}, {});
        return page.value_or(ReportFile{ReportFolder::Results, QString()});
    }
    qint64 team(int number, const char *name, const char *subclass = "")
    {
        return insertRow(*data, QStringLiteral("team"), {{"number", number}, {"name", name}, {"club", "OK"}, {"country", "EST"}, {"class", "H12"}, {"subclass", subclass}});
    }
    qint64 runner(qint64 teamId, const char *first, const char *chip, bool started = true)
    {
        return insertRow(*data, QStringLiteral("runner"), {{"team_id", teamId}, {"firstname", first}, {"lastname", "Tamm"}, {"sex", "W"},
                                                          {"birthdate", "1970-07-01"}, {"country", "EST"}, {"chipnr", chip}, {"started", started}});
    }
    // The body lines of the written page, without the footer.
    QStringList body(const ReportFile &file)
    {
        EXPECT_TRUE(output.committed());
        QStringList lines = QString::fromUtf8(output.bytes(file).mid(3)).split(QStringLiteral("\r\n"));
        return lines.mid(0, lines.size() - 3);
    }
};

} // namespace

using ReportFixture = OnEachEngine<ReportFixtureCases>;
EVENT_TESTS_ON_EACH_ENGINE(ReportFixture);

TEST_P(ReportFixture, StartListWithMembers)
{
    const qint64 owls = team(2, "Owls", "MV");
    runner(owls, "Anna", "101");
    runner(owls, "Mari", "", false);
    team(1, "Hares");
    setup.settings.showCountry = true;
    const QStringList lines = body(run(ReportKind::StartListMembers));
    EXPECT_EQ(lines, QStringList({
        "<table class=\"\"><tr class=\"resultheader\"><td>NR</td><td>Name</td><td>Club</td>",
        "<td>Country</td>",
        "<td>Class</td></tr>",
        "<tr class=\"team0\"><td>1</td><td>Hares</td><td>OK</td>",
        "<td>EST</td>",
        "<td>H12 </td></tr>",
        "<tr class=\"team0\"><td colspan=\"5\"><table>",
        "</table></td></tr>",
        "<tr class=\"team1\"><td>2</td><td>Owls</td><td>OK</td>",
        "<td>EST</td>",
        "<td>H12 MV</td></tr>",
        "<tr class=\"team1\"><td colspan=\"5\"><table>",
        "<tr class=\"r1\"><td>&nbsp;</td><td>Anna Tamm</td><td>W</td><td>41</td><td>EST</td><td>101</td></tr>",
        "<tr class=\"r1\"><td>&nbsp;</td><td>Mari Tamm</td><td>W</td><td>41</td><td>EST</td><td></td></tr>",
        "</table></td></tr>",
        "</table>",
    }));
}

TEST_P(ReportFixture, StartListOfTeamsEscapesNames)
{
    team(1, "Smith & <Sons>");
    const QStringList lines = body(run(ReportKind::StartList));
    EXPECT_EQ(lines.size(), 5);
    EXPECT_EQ(lines[2], QStringLiteral("<tr class=\"team0\"><td>1</td><td>Smith &amp; &lt;Sons&gt;</td><td>OK</td>"));
}

TEST_P(ReportFixture, CheckListHasRunnersWithChipsOnly)
{
    const qint64 owls = team(2, "Owls");
    runner(owls, "Mari", "205");
    runner(owls, "Anna", "101");
    runner(owls, "Liis", "");
    runner(team(1, "No chips"), "Eva", "");
    EXPECT_EQ(body(run(ReportKind::CheckList)), QStringList({
        "<table class=\"\" border=\"1\">",
        "<tr><td>2</td><td><b>101</b></td><td width=\"40px\">&nbsp;</td><td><b>Owls</b></td><td>H12</td><td>Anna Tamm</td><td></tr>",
        "<tr><td>2</td><td><b>205</b></td><td width=\"40px\">&nbsp;</td><td><b>Owls</b></td><td>H12</td><td>Mari Tamm</td><td></tr>",
        "</table>",
    }));
}

TEST_P(ReportFixture, ATeamWithoutNumberComesFirstWithAnEmptyNumber)
{
    runner(team(1, "Owls"), "Anna", "101");
    const qint64 unnumbered = insertRow(*data, QStringLiteral("team"), {{"name", "Late entry"}, {"class", "H12"}});
    runner(unnumbered, "Mari", "205");
    const QStringList start = body(run(ReportKind::StartList));
    ASSERT_EQ(start.size(), 7);
    EXPECT_EQ(start[2], QStringLiteral("<tr class=\"team0\"><td></td><td>Late entry</td><td></td>"));
    EXPECT_EQ(start[4], QStringLiteral("<tr class=\"team1\"><td>1</td><td>Owls</td><td>OK</td>"));
    EXPECT_EQ(body(run(ReportKind::CheckList)), QStringList({
        "<table class=\"\" border=\"1\">",
        "<tr><td></td><td><b>205</b></td><td width=\"40px\">&nbsp;</td><td><b>Late entry</b></td><td>H12</td><td>Mari Tamm</td><td></tr>",
        "<tr><td>1</td><td><b>101</b></td><td width=\"40px\">&nbsp;</td><td><b>Owls</b></td><td>H12</td><td>Anna Tamm</td><td></tr>",
        "</table>",
    }));
}

TEST_P(ReportFixture, ControlStatistics)
{
    for (const char *code : {"31", "32", "33", "34"})
        insertRow(*data, QStringLiteral("control"), {{"controlnr", code}});
    const qint64 owls = team(1, "Owls"), hares = team(2, "Hares");
    const qint64 anna = runner(owls, "Anna", "1"), eva = runner(hares, "Eva", "2");
    auto punch = [&](qint64 teamId, qint64 runnerId, const char *code, const char *time, int status) {
        insertRow(*data, QStringLiteral("res_cp"), {{"team_id", teamId}, {"runner_id", runnerId}, {"KP", code}, {"ctime", QString::fromLatin1(time)}, {"status", status}});
    };
    punch(owls, anna, "32", "2026-06-13 10:20:00", 8);
    punch(hares, eva, "32", "2026-06-13 10:10:00", 2);  // by hand: never first
    punch(hares, eva, "32", "2026-06-13 10:15:00", 8);
    punch(owls, anna, "33", "2026-06-13 11:00:00", 2);  // only by hand
    punch(owls, anna, "34", "2026-06-13 12:00:00", 8);
    punch(hares, eva, "34", "2026-06-13 12:30:00", 8);
    punch(hares, eva, "34", "2026-06-13 12:31:00", 8);
    const QStringList lines = body(run(ReportKind::Statistics));
    ASSERT_EQ(lines.size(), 6);
    EXPECT_EQ(lines[1], QStringLiteral("<tr class=\"resultheader\"><td>Control</td><td>Punches</td><td>First punch</td></tr>"));
    EXPECT_TRUE(lines[2].startsWith(QStringLiteral("<tr class=\"team0\"><td>32</td><td>3</td><td>"))) << lines[2].toStdString();
    EXPECT_TRUE(lines[2].endsWith(QStringLiteral(" by Eva Tamm (Hares)</td></tr>"))) << lines[2].toStdString();
    EXPECT_TRUE(lines[3].startsWith(QStringLiteral("<tr class=\"team1\"><td>34</td><td>3</td><td>"))); // equal count: table order
    EXPECT_TRUE(lines[3].endsWith(QStringLiteral(" by Anna Tamm (Owls)</td></tr>")));
    EXPECT_EQ(lines[4], QStringLiteral("<tr class=\"team0\"><td>33</td><td>1</td><td></td></tr>"));
    EXPECT_EQ(lines[5], QStringLiteral("</table>")); // 31: nobody punched it
}

TEST_P(ReportFixture, AMissingTemplateWritesNothing)
{
    setup.settings.resultHeader = folderOf(dir) + QStringLiteral("missing.htm");
    EXPECT_THROW(run(ReportKind::StartListMembers), KorventError);
    EXPECT_THROW(run(ReportKind::Statistics), KorventError);
    EXPECT_TRUE(output.files().isEmpty());
    EXPECT_FALSE(output.committed());
}
