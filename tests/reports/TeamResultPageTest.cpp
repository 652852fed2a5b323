#include "ResultsFixture.h"

#include "reports/TeamResultPage.h"
#include "store/StatusTexts.h"
#include "store/TimeHelpers.h"

using namespace Qt::StringLiterals;

namespace {

struct TeamPageFixture : ResultsFixture
{
    ReportPage header;
    CountryList countries{{QStringLiteral("EST"), QStringLiteral("Estonia")}};
    std::optional<CourseDefinition> loaded;
    std::optional<RouteBase> routeBase;
    TeamRow row;

    void SetUp() override
    {
        ResultsFixture::SetUp();
        course();
        row.number = 7;
        row.name = QStringLiteral("Owls & Co");
        row.className = QStringLiteral("H12");
        row.country = QStringLiteral("EST");
        row.start = at("10:00:00");
        row.points = 80;
        row.result = 80;
        row.rtime = 5400;
    }

    TeamResultPage page(const tResArray *list, const std::vector<ResultRunner> &runners = {})
    {
        loaded = CourseDefinition::load(data->connection(), setup.classTree);
        if (setup.settings.teamRouteMaps)
            routeBase = PrepareRouteBase(data->connection(), setup.settings, folderOf(dir));
        const TeamPageContext context{setup.settings, countries, *loaded, header, routeBase ? &*routeBase : nullptr};
        return WriteTeamResultPage(context, row, runners, QStringLiteral("2"), QStringLiteral("MV:4. "), list);
    }

    static tControlRes entry(const char *code, const char *time, int status, qint64 seconds = 0)
    {
        return tControlRes{QString::fromLatin1(code), at(time), status, 0, seconds, 0};
    }

    // The lines from the first one starting with `first` up to the next line ending a row, joined.
    static QString row_(const QStringList &lines, const QString &first)
    {
        qsizetype from = 0;
        while (from < lines.size() && !lines[from].startsWith(first))
            ++from;
        if (from == lines.size())
            return QStringLiteral("(no line %1)").arg(first);
        QString text;
        for (qsizetype i = from; i < lines.size(); ++i) {
            text += lines[i];
            if (lines[i].contains(QLatin1String("</tr>")))
                break;
        }
        return text;
    }
    static QString controlRow(const QStringList &lines, const char *label, int dayFlag = 1)
    {
        return row_(lines, QStringLiteral("<tr><td><b>%1</b></td><td nowrap=nowrap class=\"time_ND%2\">").arg(QLatin1String(label)).arg(dayFlag));
    }
};

} // namespace

TEST_F(TeamPageFixture, TeamDataPlacesAndMembers)
{
    setup.settings.showCountry = true;
    row.inCenter = 600;
    const QStringList lines = page(nullptr, {{QStringLiteral("Anna"), QStringLiteral("Tamm"), QStringLiteral("W"), QStringLiteral("EST"),
                                              DateTime::fromDateAndTime(QDate(1970, 7, 1), QTime(0, 0))}}).lines;
    EXPECT_EQ(lines, QStringList({
        "<table class=\"r1\" border=\"0\"><tr><td><table class=\"r0\" >",
        "<tr><td class=\"resultheader\">NR</td><td>7</td></tr>",
        "<tr><td class=\"resultheader\">Name</td><td>Owls &amp; Co</td></tr>",
        "<tr><td class=\"resultheader\">Country</td><td>Estonia</td></tr>",
        "<tr><td class=\"resultheader\">Class</td><td>H12</td></tr>",
        "</table></td></tr><tr><td><table class=\"r0\" >",
        "<tr><td class=\"resultheader\">Place</td><td><b>2</b>&nbsp;MV:4. </td></tr>",
        "<tr><td class=\"resultheader\">Points</td><td>80</td></tr>",
        "<tr><td class=\"resultheader\">Penalty</td><td>0</td></tr>",
        "<tr><td class=\"resultheader\">Time</td><td>1:30:00</td></tr>",
        "<tr><td class=\"resultheader\">At admin.area: </td><td>0:10:00</td></tr>",
        "<tr><td class=\"resultheader\">On Course: </td><td>1:20:00</td></tr>",
        "<tr><td class=\"resultheader\">Result</td><td class=\"css_result\">80</td></tr></table></td></tr>",
        "<tr><td colspan=\"2\" class=\"resultheader\" nowrap=nowrap>Members</td></tr>",
        "<tr><td colspan=\"2\" class=\"css_members\" nowrap=nowrap>",
        "Anna Tamm W-55 EST<br />",
        "</td></tr><tr><td colspan=\"2\">",
        "</td></tr></table>",
        ReportFooterLine(),
    }));
}

TEST_F(TeamPageFixture, NoAdminAreaRowsWithoutTimeInTheCentre)
{
    row.inCenter = 0;
    const QString text = page(nullptr).lines.join(u'\n');
    EXPECT_FALSE(text.contains(QLatin1String("At admin.area: ")));
    EXPECT_FALSE(text.contains(QLatin1String("On Course: ")));
}

TEST_F(TeamPageFixture, RouteTableSplitsRunningPointsAndDistances)
{
    const tResArray list = {entry("31", "10:20:00", PunchOK), entry("32", "10:40:00", PunchOK), entry("33", "11:00:00", PunchMan),
                            entry("31", "11:10:00", PunchDouble), entry("F", "11:30:00", PunchOK)};
    const QStringList lines = page(&list).lines;
    const QString start = DateTimeText(true, at("10:00:00"));
    EXPECT_EQ(controlRow(lines, "Start"), u"<tr><td><b>Start</b></td><td nowrap=nowrap class=\"time_ND1\">"_s + start
                                             + u"</td><td>&nbsp;</td><td>&nbsp;</td><td>&nbsp;</td><td>&nbsp;</td><td>&nbsp;</td></tr>"_s);
    // The first split runs from the team's start.
    EXPECT_EQ(controlRow(lines, "31"), u"<tr><td><b>31</b></td><td nowrap=nowrap class=\"time_ND1\">"_s + DateTimeText(true, at("10:20:00"))
                                          + u"</td><td>0:20:00<br /></td><td><font color=\"green\">30 /30</font>"
                                            u"</td><td>1.00/1.00 km</td><td>0:20:00</td><td>0:00:40</td></tr>"_s);
    // A control of no points has no mark and leaves the running total.
    EXPECT_EQ(controlRow(lines, "32"), u"<tr><td><b>32</b></td><td nowrap=nowrap class=\"time_ND1\">"_s + DateTimeText(true, at("10:40:00"))
                                          + u"</td><td>0:20:00<br /></td><td></td><td>1.00/2.00 km</td><td>0:20:00</td><td></td></tr>"_s);
    // A hand-entered punch: no time, no split; its points count.
    EXPECT_EQ(controlRow(lines, "33"), u"<tr><td><b>33</b></td><td nowrap=nowrap class=\"time_ND1\">--</td><td></td><td>"
                                       u"<font color=\"green\">50 /80</font></td><td>1.00/3.00 km</td><td></td><td></td></tr>"_s);
    // ... and the punch after it has no split either.
    const qsizetype repeat = lines.lastIndexOf(QStringLiteral("<tr><td><b>31</b></td><td nowrap=nowrap class=\"time_ND1\">"));
    EXPECT_EQ(row_(lines.mid(repeat), lines[repeat]), u"<tr><td><b>31</b></td><td nowrap=nowrap class=\"time_ND1\">"_s + DateTimeText(true, at("11:10:00"))
                                                           + u"</td><td></td><td><font color=\"blue\">Double</font></td><td>2.00/5.00 km</td><td></td><td></td></tr>"_s);
    EXPECT_EQ(row_(lines, QStringLiteral("<tr class=\"resultheader\"><td>&nbsp;</td><td>1:30:00</td><td>&nbsp;</td><td>80</td><td>6.00 km</td><td>0:15:00</td><td>0:01:07</td>")),
              QStringLiteral("<tr class=\"resultheader\"><td>&nbsp;</td><td>1:30:00</td><td>&nbsp;</td><td>80</td><td>6.00 km</td><td>0:15:00</td><td>0:01:07</td></tr></table>"));
    EXPECT_FALSE(lines.join(u'\n').contains(QLatin1String("<img")));
}

TEST_F(TeamPageFixture, OverIntervalMissingAndDisqualifiedMarks)
{
    setup.settings.punchWindowSeconds = 60;
    const tResArray list = {entry("31", "10:20:00", PunchOverInterval, 125), entry("32", "10:40:00", PunchMissing), entry("33", "11:00:00", PunchDQ)};
    const QStringList lines = page(&list).lines;
    EXPECT_TRUE(controlRow(lines, "31").contains(QLatin1String("<td><font color=\"blue\"><a title=\"Over punch interval:0:02:05\">&gt;60s.</a></font></td>")));
    EXPECT_TRUE(controlRow(lines, "32").contains(QLatin1String("<td><font color=\"blue\">MP</font></td>")));
    EXPECT_TRUE(controlRow(lines, "33").contains(QLatin1String("<td><font color=\"red\">DQ</font></td>")));
}

TEST_F(TeamPageFixture, DayFlagChangesAtSunsetAndSunrise)
{
    row.start = at("20:00:00");
    const tResArray list = {entry("31", "20:30:00", PunchOK), entry("32", "21:30:00", PunchOK),
                            tControlRes{QStringLiteral("33"), at("05:00:00") + 1, PunchOK, 0, 0, 0}};
    const QStringList lines = page(&list).lines;
    EXPECT_TRUE(lines.contains(QStringLiteral("<tr><td><b>Start</b></td><td nowrap=nowrap class=\"time_ND1\">") + DateTimeText(true, row.start)
                               + QStringLiteral("</td><td>&nbsp;</td><td>&nbsp;</td><td>&nbsp;</td><td>&nbsp;</td><td>&nbsp;</td></tr>")));
    EXPECT_TRUE(lines.contains(QStringLiteral("<tr><td><b>31</b></td><td nowrap=nowrap class=\"time_ND1\">")));
    EXPECT_TRUE(lines.contains(QStringLiteral("<tr><td><b>32</b></td><td nowrap=nowrap class=\"time_ND0\">")));
    EXPECT_TRUE(lines.contains(QStringLiteral("<tr><td><b>33</b></td><td nowrap=nowrap class=\"time_ND1\">")));
}

TEST_F(TeamPageFixture, PunchTimeColumnOnlyWithCardsPerRunner)
{
    const tResArray list = {entry("31", "10:20:00", PunchOK, 20)};
    setup.settings.showPunchTimes = true;
    setup.settings.controlCard = EventSettings::CardPerTeam;
    EXPECT_FALSE(page(&list).lines.contains(QStringLiteral("<td>Punch time</td>")));

    setup.settings.controlCard = EventSettings::CardPerRunner;
    const QStringList lines = page(&list).lines;
    EXPECT_TRUE(lines.contains(QStringLiteral("<td>Punch time</td>")));
    EXPECT_TRUE(controlRow(lines, "31").endsWith(QLatin1String("<td>0:00:40</td><td>20 s</td></tr>")));
    // The start row keeps its five empty cells.
    EXPECT_TRUE(controlRow(lines, "Start").endsWith(QLatin1String("</td><td>&nbsp;</td><td>&nbsp;</td><td>&nbsp;</td><td>&nbsp;</td><td>&nbsp;</td></tr>")));
    EXPECT_TRUE(lines.contains(QStringLiteral("<td>&nbsp;</td>")));
}

TEST_F(TeamPageFixture, RouteMapWithTeamRoute)
{
    setup.settings.teamRouteMaps = true;
    setup.settings.courseMapWidth = 300;
    control("34", 10, 0, 3000);
    const tResArray list = {entry("31", "10:20:00", PunchOK), entry("F", "11:00:00", PunchOK)};
    const TeamResultPage written = page(&list);
    EXPECT_TRUE(written.lines.contains(QStringLiteral("</td></tr><tr><td><img src=\"map_7.gif\" alt=\"\" />")));
    ASSERT_TRUE(written.route);
    // Controls span 3000 map units each way on a 300 pixel map: 0.1 pixel a unit, 10 pixels of margin, y upwards.
    EXPECT_EQ(written.route->size(), QSize(320, 320));
    EXPECT_EQ(routeBase->pixel({1000, 0}), QPoint(110, 310));
    EXPECT_EQ(routeBase->pixel({0, 3000}), QPoint(10, 10));
    EXPECT_EQ(written.route->pixel(60, 310), qRgb(255, 0, 0));       // on the leg from the start to 31 (and back)
    EXPECT_EQ(written.route->pixel(110, 313), qRgb(255, 0, 0));      // the circle at 31
    EXPECT_EQ(written.route->pixel(160, 310), qRgb(255, 255, 255));  // 33 was not visited
    EXPECT_EQ(written.route->pixel(310, 310), qRgb(255, 255, 255));  // ... its course circle stays grey and white
    EXPECT_EQ(written.route->pixel(310, 313), qRgb(128, 128, 128));

    EXPECT_FALSE(page(nullptr).route);
}

TEST_F(TeamPageFixture, TheCaptionHidesNoRouteInTheCorner)
{
    setup.settings.teamRouteMaps = true;
    setup.settings.courseMapWidth = 300;
    control("34", 10, 0, 3000); // drawn at pixel (10, 10), under the caption
    const tResArray list = {entry("34", "10:20:00", PunchOK), entry("F", "11:00:00", PunchOK)};
    const TeamResultPage written = page(&list);
    ASSERT_TRUE(written.route);
    // The control's red circles and the leg down to the start show through the caption's box.
    int red = 0;
    for (int y = 0; y <= 12; ++y)
        for (int x = 11; x <= 14; ++x) {
            const QColor colour = written.route->pixelColor(x, y);
            red += colour.red() > 200 && colour.green() < 200 && colour.blue() < 200;
        }
    EXPECT_GE(red, 4);
    // ... and the caption is there, in black.
    int black = 0;
    for (int y = 0; y <= 12; ++y)
        for (int x = 15; x <= 60; ++x)
            black += qGray(written.route->pixel(x, y)) < 60;
    EXPECT_GE(black, 10);
}

TEST(TeamPageTexts, SpeedAndTimePerPoint)
{
    const struct
    {
        qint64 seconds, distance;
        const char *speed;
    } speeds[] = {{1200, 1000, "0:20:00"}, {1200, 1500, "0:13:20"}, {0, 1000, ""}, {1200, 0, ""}, {100, 0, ""}};
    for (const auto &speed : speeds)
        EXPECT_EQ(SpeedText(speed.seconds, speed.distance, 10000), QLatin1String(speed.speed)) << speed.seconds << " " << speed.distance;
    // Below a whole metre there is no speed.
    EXPECT_EQ(SpeedText(60, 3, 3000), QString());

    const struct
    {
        qint64 seconds, points;
        int status;
        const char *text;
    } perPoint[] = {{1200, 30, 1, "0:00:40"}, {1201, 30, 2, "0:00:40"}, {1200, 30, 3, ""}, {1200, 0, 1, ""}, {0, 30, 1, ""}};
    for (const auto &value : perPoint)
        EXPECT_EQ(TimePerPointText(value.seconds, value.points, value.status), QLatin1String(value.text)) << value.seconds << " " << value.status;

    const CountryList countries{{QStringLiteral("EST"), QStringLiteral("Estonia")}};
    EXPECT_EQ(CountryName(countries, QStringLiteral("EST")), QStringLiteral("Estonia"));
    EXPECT_EQ(CountryName(countries, QStringLiteral("XXX")), QString());
}
