#include "reports/TeamResultPage.h"

#include "store/EventSettings.h"
#include "store/MapHelpers.h"
#include "store/StatusTexts.h"
#include "store/TimeHelpers.h"

#include <QCoreApplication>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(Reports)
};

QString dataRow(const QString &label, const QString &value)
{
    return QStringLiteral("<tr><td class=\"resultheader\">") + label + QStringLiteral("</td><td>") + value + QStringLiteral("</td></tr>");
}

QString dayNightCell(int dayFlag)
{
    return QStringLiteral("<td nowrap=nowrap class=\"time_ND") + QString::number(dayFlag) + QStringLiteral("\">");
}

void appendRouteTable(QStringList &page, std::optional<RouteImage> &image, const TeamPageContext &context, const TeamRow &team,
                      const tResArray &list)
{
    const EventSettings &settings = context.settings;
    const bool punchTimeColumn = settings.showPunchTimes && settings.controlCard == EventSettings::CardPerRunner;
    int dayFlag = 1;
    page.append(QStringLiteral("<table class=\"r0\">"));
    page.append(QStringLiteral("<tr class=\"resultheader\">") + Texts::tr("<td>KP</td><td>Time</td><td>SplitTime</td><td>Points</td>"
                                                                   "<td>Distance</td><td>Speed (1km)</td><td>1 point</td>"));
    if (punchTimeColumn)
        page.append(QStringLiteral("<td>") + Texts::tr("Punch time") + QStringLiteral("</td>"));
    page.append(QStringLiteral("</tr>"));

    CourseLegs legs(context.course);
    UpdateDayNight(dayFlag, settings.sunset, settings.sunrise, team.start);
    if (image && legs.start().at)
        image->drawStart(*legs.start().at);
    page.append(QStringLiteral("<tr><td><b>") + Html(legs.start().label) + QStringLiteral("</b></td>") + dayNightCell(dayFlag)
                + DateTimeText(true, team.start) + QStringLiteral("</td><td>&nbsp;</td><td>&nbsp;</td><td>&nbsp;</td><td>&nbsp;</td><td>&nbsp;</td></tr>"));

    SerialDateTime previousTime = team.start;
    qint64 cumulativePoints = 0;
    for (const tControlRes &entry : list) {
        const CourseLeg leg = legs.next(entry.code);
        UpdateDayNight(dayFlag, settings.sunset, settings.sunrise, entry.time);
        if (image)
            image->drawLeg(leg);
        page.append(QStringLiteral("<tr><td><b>") + Html(leg.label) + QStringLiteral("</b></td>") + dayNightCell(dayFlag));
        // A hand-entered punch has no split of its own, nor does the punch after it.
        const bool manual = entry.status == PunchMan;
        if (manual)
            previousTime = 0;
        page.append(manual ? QStringLiteral("--</td><td>") : DateTimeText(true, entry.time) + QStringLiteral("</td><td>"));
        qint64 split = 0;
        if (previousTime != 0) {
            split = SecondsBetween(entry.time, previousTime);
            page.append(FormatSeconds(split) + QStringLiteral("<br />"));
        }
        page.append(QStringLiteral("</td><td>"));
        previousTime = manual ? 0 : entry.time;
        if ((entry.status == PunchOK || entry.status == PunchMan) && leg.points >= 1)
            cumulativePoints += leg.points;
        page.append(PunchMark(entry, leg.points, QString::number(leg.points) + QStringLiteral(" /") + QString::number(cumulativePoints),
                              settings.punchWindowSeconds));
        page.append(QStringLiteral("</td><td>") + DistanceText(leg.length, settings.mapScale) + u'/' + DistanceText(legs.total(), settings.mapScale)
                    + QStringLiteral(" km</td><td>") + SpeedText(split, leg.length, settings.mapScale) + QStringLiteral("</td><td>")
                    + TimePerPointText(split, leg.points, entry.status) + QStringLiteral("</td>"));
        if (punchTimeColumn)
            page.append(QStringLiteral("<td>") + QString::number(entry.seconds) + QStringLiteral(" s</td>"));
        page.append(QStringLiteral("</tr>"));
    }

    const qint64 onCourse = team.rtime - team.inCenter;
    page.append(QStringLiteral("<tr class=\"resultheader\"><td>&nbsp;</td><td>") + FormatSeconds(team.rtime) + QStringLiteral("</td><td>&nbsp;</td><td>")
                + QString::number(team.points) + QStringLiteral("</td><td>") + DistanceText(legs.total(), settings.mapScale)
                + QStringLiteral(" km</td><td>") + SpeedText(onCourse, legs.total(), settings.mapScale) + QStringLiteral("</td><td>")
                + TimePerPointText(onCourse, team.points, PunchOK) + QStringLiteral("</td>"));
    if (punchTimeColumn)
        page.append(QStringLiteral("<td>&nbsp;</td>"));
    page.append(QStringLiteral("</tr></table>"));
}

} // namespace

QString SpeedText(qint64 seconds, qint64 distance, qint64 mapScale)
{
    const qint64 meters = MapUnitsToMeters(distance, mapScale);
    if (seconds <= 0 || distance <= 0 || meters < 1)
        return QString();
    return FormatSeconds(static_cast<qint64>(seconds / (meters / 1000.0)));
}

QString TimePerPointText(qint64 seconds, qint64 points, int status)
{
    if (seconds <= 0 || points <= 0 || (status != PunchOK && status != PunchMan))
        return QString();
    return FormatSeconds(seconds / points);
}

QString CountryName(const CountryList &countries, const QString &code)
{
    for (const Country &country : countries)
        if (country.first == code)
            return country.second;
    return QString();
}

TeamResultPage WriteTeamResultPage(const TeamPageContext &context, const TeamRow &team, const std::vector<ResultRunner> &runners,
                                   const QString &placeText, const QString &subClassText, const tResArray *list,
                                   const QStringList &whyLines)
{
    const EventSettings &settings = context.settings;
    TeamResultPage result;
    QStringList &page = result.lines;
    page = context.header.lines();
    page.append(QStringLiteral("<table class=\"r1\" border=\"0\"><tr><td><table class=\"r0\" >"));
    page.append(dataRow(Texts::tr("NR"), QString::number(team.number)));
    page.append(dataRow(Texts::tr("Name"), Html(team.name)));
    if (settings.showClub)
        page.append(dataRow(Texts::tr("Club"), Html(team.club)));
    if (settings.showCountry)
        page.append(dataRow(Texts::tr("Country"), Html(CountryName(context.countries, team.country))));
    page.append(dataRow(Texts::tr("Class"), Html(team.className)));
    page.append(QStringLiteral("</table></td></tr><tr><td><table class=\"r0\" >"));
    page.append(QStringLiteral("<tr><td class=\"resultheader\">") + Texts::tr("Place") + QStringLiteral("</td><td><b>") + placeText
                + QStringLiteral("</b>&nbsp;") + subClassText + QStringLiteral("</td></tr>"));
    page.append(dataRow(Texts::tr("Points"), QString::number(team.points)));
    page.append(dataRow(Texts::tr("Penalty"), QString::number(team.penalty)));
    page.append(dataRow(Texts::tr("Time"), FormatSeconds(team.rtime)));
    if (team.inCenter > 0) {
        page.append(dataRow(Texts::tr("At admin.area: "), FormatSeconds(team.inCenter)));
        page.append(dataRow(Texts::tr("On Course: "), FormatSeconds(team.rtime - team.inCenter)));
    }
    page.append(QStringLiteral("<tr><td class=\"resultheader\">") + Texts::tr("Result") + QStringLiteral("</td><td class=\"css_result\">")
                + ResultText(team.result) + QStringLiteral("</td></tr></table></td></tr>"));
    page.append(QStringLiteral("<tr><td colspan=\"2\" class=\"resultheader\" nowrap=nowrap>") + Texts::tr("Members") + QStringLiteral("</td></tr>"));
    page.append(QStringLiteral("<tr><td colspan=\"2\" class=\"css_members\" nowrap=nowrap>"));
    const QDate eventDate = settings.eventDate->date();
    for (const ResultRunner &runner : runners)
        page.append(Html(runner.firstname + u' ' + runner.lastname + u' ' + runner.sex + u'-') + AgeText(runner.birthdate, eventDate) + u' '
                    + Html(runner.country) + QStringLiteral("<br />"));
    page.append(QStringLiteral("</td></tr><tr><td colspan=\"2\">"));
    std::optional<RouteImage> image;
    if (list) {
        if (settings.teamRouteMaps && context.routeBase)
            image.emplace(*context.routeBase);
        appendRouteTable(page, image, context, team, *list);
        // Under the punch table: why the team has the result above.
        if (!whyLines.isEmpty()) {
            page.append(QStringLiteral("<div class=\"css_why\"><b>") + Texts::tr("Why") + QStringLiteral("</b>"));
            for (const QString &line : whyLines)
                page.append(QStringLiteral("<p>") + Html(line) + QStringLiteral("</p>"));
            page.append(QStringLiteral("</div>"));
        }
    }
    if (image) {
        page.append(QStringLiteral("</td></tr><tr><td><img src=\"map_") + QString::number(team.number) + QStringLiteral(".gif\" alt=\"\" />"));
        result.route = image->finish(settings.eventName + QStringLiteral(" :: ") + team.name);
    }
    page.append(QStringLiteral("</td></tr></table>"));
    page.append(ReportFooterLine());
    return result;
}
