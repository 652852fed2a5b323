#include "ResultsFixture.h"
#include "EventRows.h"

#include "reports/ReportPage.h"
#include "registry/ReportRegistry.h"
#include "base/KorventError.h"
#include "base/MessageSink.h"
#include "base/Platform.h"
#include "store/EventLocation.h"
#include "store/TimeHelpers.h"

#include <QBuffer>
#include <QImageReader>
#include <QSet>

using namespace Qt::StringLiterals;

namespace {

struct RecordingSink : MessageSink
{
    QStringList errors;
    void error(const QString &message) override { errors.append(message); }
    void warning(const QString &message) override { errors.append(message); }
};

struct ResultsReportFixtureCases : ResultsFixture
{
    EventLocation location;
    RecordingSink messages;
    std::unique_ptr<MemoryReportOutput> output;

    void SetUp() override
    {
        ResultsFixture::SetUp();
        location.program = ProgramFiles::inProgramDirectory(folderOf(dir));
        location.eventDirectory = folderOf(dir);
        location.resultsDirectory = folderOf(dir) + u"results/"_s;
    }

    std::optional<ReportFile> run(ReportKind kind, const QStringList &classes, bool perClass = false)
    {
        output = std::make_unique<MemoryReportOutput>();
        ReportRequest request;
        request.classes = classes;
        request.perClass = perClass;
        return RunReport(ReportKindOf(kind), {data->connection(), setup, *output, &messages, location.eventDirectory, &location}, request);
    }
    QStringList lines(const ReportFile &file) const
    {
        const QByteArray bytes = output->bytes(file);
        EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF")) << file.name.toStdString();
        QStringList lines = QString::fromUtf8(bytes.mid(3)).split(u"\r\n"_s);
        lines.removeLast();
        return lines;
    }
    QStringList results(ReportKind kind, const QStringList &classes)
    {
        return lines(run(kind, classes).value());
    }

    // Place, number and place-in-class cell of every team row, in page order.
    static QStringList teamRows(const QStringList &page)
    {
        QStringList rows;
        for (qsizetype i = 0; i < page.size(); ++i) {
            if (!page[i].startsWith(QLatin1String("<tr class=\"team")))
                continue;
            const QString first = page[i];
            const QString place = first.section(u"<td align=\"right\">"_s, 1).section(u"</td>"_s, 0, 0);
            const QString number = first.section(u"</td><td>"_s, 1, 1);
            qsizetype end = i;
            while (page[end] != QLatin1String("</tr>"))
                ++end;
            rows.append(number + u':' + place + u':' + page[end - 1].mid(4, page[end - 1].size() - 9));
        }
        return rows;
    }
};

} // namespace

using ResultsReportFixture = OnEachEngine<ResultsReportFixtureCases>;
EVENT_TESTS_ON_EACH_ENGINE(ResultsReportFixture);

TEST_P(ResultsReportFixture, PlacesWithTiesAndTeamsWithoutRank)
{
    team(1, "A", "H12", 120, 4 * 3600);
    team(2, "B", "H12", 110, 3 * 3600 + 50 * 60);
    team(3, "C", "H12", 110, 3 * 3600 + 50 * 60);
    team(4, "D", "H12", 100, 3 * 3600);
    team(5, "Disqualified", "H12", -5, 3 * 3600);
    team(6, "Late", "H12", -2, 13 * 3600);
    insertRow(*data, u"team"_s, {{"number", 7}, {"name", "Never calculated"}, {"class", "H12"}, {"result", 500}});
    team(8, "Slower", "R6", 110, 3 * 3600 + 55 * 60);
    team(9, "Faster", "R6", 110, 3 * 3600 + 50 * 60);

    const QStringList page = results(ReportKind::ResultsTable, {u"H12"_s, u"R6"_s});
    EXPECT_EQ(teamRows(page), QStringList({"1:1:", "2:2:", "3:2:", "4:4:", "6:-:", "5:-:", "9:1:", "8:2:"}));
    // Rows alternate from team1 in every class.
    EXPECT_TRUE(page.contains(u"<tr class=\"team1\"><td align=\"right\">1</td><td>1</td><td>H12</td>"_s));
    EXPECT_TRUE(page.contains(u"<tr class=\"team0\"><td align=\"right\">2</td><td>2</td><td>H12</td>"_s));
    EXPECT_TRUE(page.contains(u"<tr class=\"team1\"><td align=\"right\">1</td><td>9</td><td>R6</td>"_s));
    EXPECT_TRUE(page.contains(u"<td>3:00:00<br />0<br />0</td><td class=\"css_result\">DSQ</td>"_s));
    EXPECT_TRUE(page.contains(u"<td>13:00:00<br />0<br />0</td><td class=\"css_result\">LATE</td>"_s));
    EXPECT_FALSE(page.join(u'\n').contains(QLatin1String("Never calculated")));
}

TEST_P(ResultsReportFixture, TableWithHeadingSubClassPlacesAndMembers)
{
    setup.settings.showClub = true;
    setup.settings.showCountry = true;
    setup.settings.extraClasses = u"MV"_s;
    const qint64 deep = team(1, "Deep & Co", "H12J2", 100, 3600);
    runner(deep, "Anna");
    runner(deep, "Mari", false);
    team(2, "Level one", "H12J", 100, 3600);            // tied overall, second in H12J
    team(3, "Veterans", "H12", 90, 3600, "MV");
    team(4, "Out", "H12J", -5, 3600);
    team(5, "Third", "H12J", 80, 3600);
    team(6, "Fourth", "H12J", 70, 3600);

    const QStringList page = results(ReportKind::ResultsTable, {u"H12"_s});
    const QString gold = u":<span class=\"win_gold\"><b>1</b>.</span> "_s;
    const QString silver = u":<span class=\"win_silver\"><b>2</b>.</span> "_s;
    const QString bronze = u":<span class=\"win_bronz\"><b>3</b>.</span> "_s;
    EXPECT_EQ(teamRows(page), QStringList({"1:1:H12J" + gold + "H12J2" + gold, "2:1:H12J" + silver, "3:3:MV" + gold, "5:4:H12J" + bronze,
                                           "6:5:H12J:4. ", "4:-:"}));
    const qsizetype header = page.indexOf(u"<span class=\"classheader\">H12</span><br />"_s);
    ASSERT_GE(header, 0);
    EXPECT_EQ(page.mid(header, 7), QStringList({
        "<span class=\"classheader\">H12</span><br />",
        "<table class=\"\" border=\"0\">",
        "<tr class=\"resultheader\"><td>Place</td><td>NR</td><td>Class</td><td>Name</td>",
        "<td>Club</td>",
        "<td>Ctry</td>",
        "<td>Members</td><td>Time<br />Points<br />Penalty</td><td>Result</td>",
        "<td>Place in class</td></tr>",
    }));
    EXPECT_EQ(page.mid(header + 7, 10), QStringList({
        "<tr class=\"team1\"><td align=\"right\">1</td><td>1</td><td>H12J2</td>",
        "<td>Deep &amp; Co</td>",
        "<td>OK</td>",
        "<td>EST</td>",
        "<td class=\"css_members\" nowrap=nowrap>",
        "Anna Tamm W 55 EST<br />",
        "</td>",
        "<td>1:00:00<br />100<br />0</td><td class=\"css_result\">100</td>",
        "<td>H12J" + gold + "H12J2" + gold + "</td>",
        "</tr>",
    }));
}

TEST_P(ResultsReportFixture, ResultsWarnOfListedTeamsWhoseMembersAreNotListed)
{
    runner(team(1, "Listed", "H12J", 100, 3600), "Anna");
    runner(team(2, "Nobody started", "H12J2", 90, 3600), "Mari", false);
    team(3, "No runners", "H12", 80, 3600);
    team(4, "Withdrawn", "H12", -4, 3600);
    team(5, "Other class", "R6", 70, 3600);

    const struct { ReportKind kind; QStringList classes; const char *warning; } cases[] = {
        {ReportKind::ResultsTable, {u"H12"_s}, "3 teams in the results have no started runner: their members are not listed"},
        {ReportKind::Winners, {u"H12"_s, u"R6"_s}, "4 teams in the results have no started runner: their members are not listed"},
        {ReportKind::ResultsSplits, {u"R6"_s}, "1 team in the results has no started runner: its members are not listed"},
    };
    for (const auto &c : cases) {
        messages.errors.clear();
        run(c.kind, c.classes);
        ASSERT_EQ(messages.errors.size(), 1) << messages.errors.join(u'\n').toStdString();
        EXPECT_TRUE(messages.errors[0].startsWith(QLatin1String(c.warning))) << messages.errors[0].toStdString();
        // Shown in a window: the mend is the window's own commands.
        EXPECT_TRUE(messages.errors[0].endsWith(QLatin1String("Tools menu, \"Mark read-out runners started\" or \"Mark all runners started\"")))
            << messages.errors[0].toStdString();
        EXPECT_FALSE(messages.errors[0].contains(QLatin1String("korvent-cli"))) << messages.errors[0].toStdString();
    }
    messages.errors.clear();
    data->connection().exec(u"DELETE FROM team WHERE number <> 1"_s);
    run(ReportKind::ResultsTable, {u"H12"_s});
    EXPECT_TRUE(messages.errors.isEmpty()) << messages.errors.join(u'\n').toStdString();
}

TEST_P(ResultsReportFixture, NoClassCheckedGivesAnEmptyPageOrNone)
{
    team(1, "A", "H12", 100, 3600);
    EXPECT_EQ(results(ReportKind::ResultsTable, {}), QStringList({u"<br />"_s, ReportFooterLine()}));
    EXPECT_FALSE(run(ReportKind::ResultsTable, {}, true));
    EXPECT_TRUE(output->files().isEmpty());
}

TEST_P(ResultsReportFixture, PagePerClassWithLinksToTheOthers)
{
    team(1, "A", "H12", 100, 3600);
    team(2, "B", "R6", 100, 3600);
    const std::optional<ReportFile> last = run(ReportKind::ResultsTable, {u"H12"_s, u"R6"_s}, true);
    EXPECT_EQ(last, ReportFile({ReportFolder::Results, u"resultsR6.htm"_s}));
    EXPECT_EQ(output->files(), QList<ReportFile>({{ReportFolder::Results, u"resultsH12.htm"_s}, {ReportFolder::Results, u"resultsR6.htm"_s}}));
    EXPECT_EQ(lines({ReportFolder::Results, u"resultsH12.htm"_s}).mid(0, 3),
              QStringList({"<a href=\"resultsR6.htm\">R6</a> &nbsp;", "<hr />", "<span class=\"classheader\">H12</span><br />"}));
    EXPECT_EQ(lines(*last).mid(0, 2), QStringList({"<a href=\"resultsH12.htm\">H12</a> &nbsp;", "<hr />"}));

    // One class alone: the rule, no links.
    const std::optional<ReportFile> only = run(ReportKind::ResultsWeb, {u"R6"_s}, true);
    EXPECT_EQ(only, ReportFile({ReportFolder::Web, u"resultsR6.htm"_s}));
    EXPECT_EQ(lines(*only).mid(0, 2), QStringList({"<hr />", "<span class=\"classheader\">R6</span><br />"}));
}

TEST_P(ResultsReportFixture, SplitsCourseCell)
{
    course();
    setup.settings.controlCard = EventSettings::CardPerRunner;
    setup.settings.punchWindowSeconds = 60;
    const qint64 id = team(7, "Owls", "H12", 50, 2 * 3600);
    const qint64 a = runner(id, "Anna");
    const qint64 b = runner(id, "Mari");
    punch(id, a, "31", "10:30:00");
    punch(id, b, "31", "10:32:00"); // two minutes apart: over the punch window
    punch(id, a, "33", "11:00:00", 2);
    punch(id, b, "33", "11:00:10", 2); // entered by hand
    punch(id, a, "32", "11:30:00");
    punch(id, b, "32", "11:30:20");
    punch(id, a, "F", "12:00:00");
    punch(id, b, "F", "12:00:05");

    const QStringList page = results(ReportKind::ResultsSplits, {u"H12"_s});
    const qsizetype cell = page.indexOf(u"<table border=\"0\" class=\"css_splits\"><tr>"_s);
    ASSERT_GE(cell, 1);
    const QString date = QLocale::system().toString(QDate(2026, 6, 13), Platform::shortDateFormat());
    EXPECT_EQ(page.mid(cell - 1, 30), QStringList({
        "<td>",
        "<table border=\"0\" class=\"css_splits\"><tr>",
        "<td><b>Start</b><br />" + date + "<br />" + DateTimeText(false, at("10:00:00")) + "</td>",
        "<td><b>31</b><br />",
        DateTimeText(false, at("10:32:00")) + "<br />",
        "0:32:00<br />",
        "<font color=\"blue\"><a title=\"Over punch interval:0:02:00\">&gt;60s.</a></font>",
        "</td>",
        "<td><b>33</b><br />",
        "--<br />",
        "--<br />",
        "<font color=\"green\">50</font>",
        "</td>",
        "<td><b>32</b><br />",
        DateTimeText(false, at("11:30:20")) + "<br />",
        "--<br />",
        "",
        "</td>",
        "<td><b>F</b><br />",
        DateTimeText(false, at("12:00:05")) + "<br />",
        "0:29:45<br />",
        "",
        "</td>",
        "<td nowrap=nowrap>On Course: 2:00:00<br />",
        "Distance: 6.00km</td>",
        "</tr></table>",
        "</td>",
        "</tr>",
        "</table>",
        "<div class=\"info\"><b>Legend</b>: <i>MP</i> - missing punch; <i>Double</i> - double control; <i>&gt;xs</i> - over punch limit; "
        "<i>DQ</i> - disqualified control</div>",
    }));
    EXPECT_TRUE(page.contains(u"<td>Course</td></tr>"_s));
}

TEST_P(ResultsReportFixture, SplitsSummaryAndTeamsWithoutPunchList)
{
    course();
    const qint64 resting = team(1, "Resting", "H12", 30, 3600, "", 600);
    const qint64 r = runner(resting, "Anna");
    punch(resting, r, "31", "10:20:00");
    punch(resting, r, "F", "11:00:00");
    const qint64 out = team(2, "Out", "H12", -4, 3600);
    const qint64 o = runner(out, "Mari");
    punch(out, o, "31", "10:20:00");
    punch(out, o, "F", "11:00:00");
    team(3, "Nothing read", "H12", 0, 0);

    const QString page = results(ReportKind::ResultsSplits, {u"H12"_s}).join(u'\n');
    EXPECT_TRUE(page.contains(u"<td nowrap=nowrap>On Course: 0:50:00<br />\nAt admin.area: 0:10:00<br />\nDistance: 2.00km</td>"_s));
    // A team without result has no summary; one without punch list an empty course cell.
    EXPECT_EQ(page.count(u"<td nowrap=nowrap>On Course: "_s), 1);
    EXPECT_TRUE(page.contains(u"<td class=\"css_result\">0</td>\n<td>\n</td>\n</tr>"_s));
}

TEST_P(ResultsReportFixture, CheckFilesOverAllClasses)
{
    course();
    const auto together = [&](qint64 number, const char *className, int offset) {
        const qint64 id = team(number, "T", className, 80, 3600);
        const qint64 r = runner(id, "A");
        punch(id, r, "31", qPrintable(QTime(10, 20).addSecs(offset).toString(u"HH:mm:ss"_s)));
        punch(id, r, "33", qPrintable(QTime(10, 50).addSecs(offset).toString(u"HH:mm:ss"_s)));
        punch(id, r, "F", qPrintable(QTime(11, 30).addSecs(offset * 30).toString(u"HH:mm:ss"_s)));
    };
    together(1, "H12", 0);
    ASSERT_TRUE(run(ReportKind::ResultsSplits, {u"H12"_s, u"R6"_s}));
    const ReportFile pairs{ReportFolder::Results, u"teamsControlSameTime.txt"_s};
    const ReportFile groups{ReportFolder::Results, u"CheckTeams_Together.txt"_s};
    EXPECT_EQ(output->files(), QList<ReportFile>({{ReportFolder::Results, u"results.htm"_s}, pairs, groups}));
    EXPECT_TRUE(output->bytes(pairs).isEmpty());
    EXPECT_TRUE(output->bytes(groups).isEmpty());

    // Teams of two classes met at both controls; the finishes lie 30 s apart a second.
    together(2, "R6", 20);
    together(3, "H12", 200);
    location.teamsMinTimeWindow = 30;
    location.teamsTogetherControls = 2;
    run(ReportKind::ResultsSplits, {u"H12"_s, u"R6"_s});
    EXPECT_EQ(output->bytes(pairs), QByteArray("   1    2    31\r\n   1    2    33\r\n"));
    EXPECT_EQ(output->bytes(groups), QByteArray("   1    2 x2\r\n"));
}

TEST_P(ResultsReportFixture, WebPagesLinkTeamPagesAndDrawRoutes)
{
    course();
    writeFile(folderOf(dir) + u"header.htm"_s, "<html><head><title>\n<%TITLE%>\n</title></head><body>\n<%INFO%>\n");
    setup.settings.resultHeader = folderOf(dir) + u"header.htm"_s;
    const qint64 id = team(7, "Owls <7>", "H12", 30, 3600);
    const qint64 r = runner(id, "Anna");
    punch(id, r, "31", "10:20:00");
    punch(id, r, "F", "11:00:00");
    team(8, "No punches", "H12", 0, 0);

    const std::optional<ReportFile> page = run(ReportKind::ResultsWeb, {u"H12"_s});
    EXPECT_EQ(page, ReportFile({ReportFolder::Web, u"results.htm"_s}));
    EXPECT_TRUE(lines(*page).contains(u"<td><a href=\"javascript:openPopUp('teamresult_7.htm','7');\">Owls &lt;7&gt;</a></td>"_s));
    const QStringList teamPage = lines({ReportFolder::Web, u"teamresult_7.htm"_s});
    EXPECT_EQ(teamPage.mid(0, 6), QStringList({"<html><head><title>", "Results:Night &amp; Day", "</title></head><body>", "",
                                               "<table class=\"r1\" border=\"0\"><tr><td><table class=\"r0\" >",
                                               "<tr><td class=\"resultheader\">NR</td><td>7</td></tr>"}));
    EXPECT_TRUE(teamPage.contains(u"<tr><td class=\"resultheader\">Place</td><td><b>1</b>&nbsp;</td></tr>"_s));
    EXPECT_FALSE(teamPage.join(u'\n').contains(u"<img"_s));
    // Without a punch list the page ends after the members.
    const QStringList emptyPage = lines({ReportFolder::Web, u"teamresult_8.htm"_s});
    EXPECT_EQ(emptyPage.mid(emptyPage.indexOf(u"<tr><td colspan=\"2\" class=\"css_members\" nowrap=nowrap>"_s)),
              QStringList({"<tr><td colspan=\"2\" class=\"css_members\" nowrap=nowrap>", "</td></tr><tr><td colspan=\"2\">",
                           "</td></tr></table>", ReportFooterLine()}));
    for (const ReportFile &file : output->files())
        EXPECT_FALSE(file.name.endsWith(u".gif"_s)) << file.name.toStdString();

    setup.settings.teamRouteMaps = true;
    setup.settings.courseMapWidth = 300;
    control("34", 10, 0, 3000);
    run(ReportKind::ResultsWeb, {u"H12"_s});
    EXPECT_TRUE(lines({ReportFolder::Web, u"teamresult_7.htm"_s}).contains(u"</td></tr><tr><td><img src=\"map_7.gif\" alt=\"\" />"_s));
    EXPECT_TRUE(output->bytes({ReportFolder::Web, u"map_8.gif"_s}).isEmpty()); // no punch list, no picture

    QBuffer gif;
    gif.setData(output->bytes({ReportFolder::Web, u"map_7.gif"_s}));
    gif.open(QIODevice::ReadOnly);
    QImageReader reader(&gif);
    EXPECT_EQ(reader.format(), QByteArray("gif"));
    const QImage route = reader.read().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(route.size(), QSize(320, 320));
    QSet<QRgb> colours;
    for (int y = 0; y < route.height(); ++y)
        for (int x = 0; x < route.width(); ++x)
            colours.insert(route.pixel(x, y));
    EXPECT_LE(colours.size(), 256);
    EXPECT_TRUE(colours.contains(qRgb(255, 0, 0)));
    EXPECT_EQ(route.pixel(60, 310), qRgb(255, 0, 0)); // the leg from the start to 31
}

TEST_P(ResultsReportFixture, WebTeamPagesTellWhyUnderThePunchTable)
{
    course();
    const qint64 id = team(7, "Owls <7>", "H12", 30, 3600);
    const qint64 r = runner(id, "Anna");
    punch(id, r, "31", "10:20:00");
    punch(id, r, "F", "11:00:00");
    run(ReportKind::ResultsWeb, {u"H12"_s});
    const QStringList page = lines({ReportFolder::Web, u"teamresult_7.htm"_s});
    const qsizetype table = page.indexOf(u"</tr></table>"_s);
    const qsizetype why = page.indexOf(u"<div class=\"css_why\"><b>Why</b>"_s);
    ASSERT_GT(table, 0);
    EXPECT_EQ(why, table + 1);
    EXPECT_EQ(page.value(why + 1), u"<p>Team 7 &quot;Owls &lt;7&gt;&quot;, class H12.</p>"_s);
    // The same lines the explanation gives, each a paragraph, then the page goes on as before.
    const qsizetype end = page.indexOf(u"</div>"_s, why);
    ASSERT_GT(end, why + 3);
    for (qsizetype i = why + 1; i < end; ++i)
        EXPECT_TRUE(page[i].startsWith(u"<p>"_s) && page[i].endsWith(u"</p>"_s)) << page[i].toStdString();
    EXPECT_TRUE(page.mid(why, end - why).join(u'\n').contains(u"<p>31: Anna "_s));
    EXPECT_EQ(page.value(end + 1), u"</td></tr></table>"_s);
}

// A result stored before the punches changed: the page shows it, and no lines that arrive elsewhere.
TEST_P(ResultsReportFixture, WebTeamPageOfAStaleResultHasNoWhyLines)
{
    course();
    const qint64 id = team(8, "Stale", "H12", 99, 3600);
    const qint64 r = runner(id, "Anna");
    punch(id, r, "31", "10:20:00");
    punch(id, r, "F", "11:00:00");
    run(ReportKind::ResultsWeb, {u"H12"_s});
    const QStringList page = lines({ReportFolder::Web, u"teamresult_8.htm"_s});
    EXPECT_GT(page.indexOf(u"</tr></table>"_s), 0);
    EXPECT_FALSE(page.join(u'\n').contains(u"css_why"_s));
    EXPECT_FALSE(page.join(u'\n').contains(u"calculate the team"_s));
}

TEST_P(ResultsReportFixture, WinnersOverAllClassesWrittenOnce)
{
    setup.settings.extraClasses = u"MV"_s;
    const qint64 gold = team(1, "Deep", "H12J2", 100, 3600, "MV");
    runner(gold, "Anna");
    runner(gold, "Mari");
    runner(gold, "Home", false);
    const qint64 fourth = team(2, "Plain", "R6", 10, 3600);
    runner(fourth, "Jaan");
    const qint64 second = team(3, "Second", "R6", 5, 3600, "MV");
    runner(second, "Karl");

    const std::optional<ReportFile> page = run(ReportKind::Winners, {u"H12"_s, u"R6"_s});
    EXPECT_EQ(page, ReportFile({ReportFolder::Results, u"results.htm"_s}));
    EXPECT_EQ(output->bytes({ReportFolder::Event, u"winners.csv"_s}),
              QByteArray("NR;Firstname;Lastname;Country;Teamname;Class;Place;Result;Time;TotalPlace\r\n"
                         "1;Anna;Tamm;EST;Deep;H12J;I;100;1:00:00;1\r\n"
                         "1;Anna;Tamm;EST;Deep;H12J2;I;100;1:00:00;1\r\n"
                         "1;Anna;Tamm;EST;Deep;MV;I;100;1:00:00;1\r\n"
                         "1;Mari;Tamm;EST;Deep;H12J;I;100;1:00:00;1\r\n"
                         "1;Mari;Tamm;EST;Deep;H12J2;I;100;1:00:00;1\r\n"
                         "1;Mari;Tamm;EST;Deep;MV;I;100;1:00:00;1\r\n"
                         "3;Karl;Tamm;EST;Second;MV;I;5;1:00:00;2\r\n"));
    EXPECT_STREQ(ReportKindOf(ReportKind::Winners).doneMessage, "Winners list in winners.csv file");
}

TEST_P(ResultsReportFixture, TooManySubClassesStopsTheRunWithNothingWritten)
{
    for (int i = 0; i < 44; ++i)
        setup.classTree.insert(setup.classTree.begin() + 3, {u"X%1"_s.arg(i), 1});
    setup.settings.extraClasses = u"MV;WV"_s;
    team(1, "A", "H12", 100, 3600);
    EXPECT_THROW(run(ReportKind::ResultsTable, {u"H12"_s}), KorventError);
    EXPECT_FALSE(output->committed());
    EXPECT_TRUE(output->files().isEmpty());
}

TEST_P(ResultsReportFixture, TeamsSharingANumberGetNoSplitsOrPagesOfEachOther)
{
    course();
    const qint64 owls = team(7, "Owls", "H12", 30, 3600);
    punch(owls, runner(owls, "Anna"), "31", "10:20:00");
    const qint64 hares = team(7, "Hares", "R6", 50, 3000); // in a class not published: the calculation still finds Owls by 7
    punch(hares, runner(hares, "Mari"), "33", "10:30:00");

    for (const ReportKind kind : {ReportKind::ResultsSplits, ReportKind::ResultsWeb}) {
        try {
            run(kind, {u"H12"_s});
            ADD_FAILURE() << "published with a shared number";
        } catch (const KorventError &error) {
            EXPECT_TRUE(error.message().startsWith(u"Team number 7 is shared by \"Owls\", \"Hares\""_s)) << error.message().toStdString();
        }
        EXPECT_FALSE(output->committed());
        EXPECT_TRUE(output->files().isEmpty());
    }
    // Lists without splits or team pages name each team once, as they are.
    EXPECT_EQ(teamRows(results(ReportKind::ResultsTable, {u"H12"_s, u"R6"_s})).size(), 2);

    updateRow(*data, u"team"_s, hares, {{"number", 8}});
    ASSERT_TRUE(run(ReportKind::ResultsWeb, {u"H12"_s, u"R6"_s}));
    EXPECT_TRUE(lines({ReportFolder::Web, u"teamresult_7.htm"_s}).join(u'\n').contains(u"Owls"_s));
    EXPECT_TRUE(lines({ReportFolder::Web, u"teamresult_8.htm"_s}).join(u'\n').contains(u"Hares"_s));
}

TEST_P(ResultsReportFixture, TeamsWithoutANumberGetNoSplitsOrPages)
{
    course();
    // No number stored and 0 both read as 0: every such team would be teamresult_0.htm.
    const QVariant none;
    const struct { std::vector<QVariant> numbers; const char *named; } cases[] = {
        {{none, none}, "2 teams without a number: \"Team 1\", \"Team 2\"."},
        {{none, 0}, "2 teams without a number: \"Team 1\", \"Team 2\"."},
        {{none}, "1 team without a number: \"Team 1\"."},
        {{0, 5}, "1 team without a number: \"Team 1\"."},
    };
    for (const auto &c : cases) {
        data->connection().exec(u"DELETE FROM team"_s);
        for (size_t i = 0; i < c.numbers.size(); ++i) {
            const qint64 id = team(1, QStringLiteral("Team %1").arg(i + 1).toUtf8().constData(), "H12", 30 - qint64(i), 3600);
            updateRow(*data, u"team"_s, id, {{"number", c.numbers[i]}});
        }
        for (const ReportKind kind : {ReportKind::ResultsSplits, ReportKind::ResultsWeb}) {
            try {
                run(kind, {u"H12"_s});
                ADD_FAILURE() << "published teams without a number: " << c.named;
            } catch (const KorventError &error) {
                EXPECT_TRUE(error.message().startsWith(QString::fromUtf8(c.named))) << error.message().toStdString();
                EXPECT_TRUE(error.message().contains(u"\"Number teams\""_s)) << error.message().toStdString();
                EXPECT_TRUE(error.message().contains(u"teams number"_s)) << error.message().toStdString();
            }
            EXPECT_FALSE(output->committed()) << c.named;
            EXPECT_TRUE(output->files().isEmpty()) << c.named;
        }
        // The plain result table shows every team as it is.
        EXPECT_EQ(teamRows(results(ReportKind::ResultsTable, {u"H12"_s})).size(), qsizetype(c.numbers.size())) << c.named;
    }
}
