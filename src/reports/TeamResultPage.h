#pragma once

// The web page of one team: its data, places, members and the route table
// with splits, points, distances and speeds, and with route maps the team's
// route drawn on the course picture.

#include "reports/ReportPage.h"
#include "reports/RouteImage.h"
#include "scoring/CourseDefinition.h"
#include "scoring/TeamPunchList.h"

#include "store/CountryList.h"
#include "store/DateTime.h"
#include "store/TeamRow.h"

#include <QImage>
#include <QString>
#include <optional>
#include <vector>

struct EventSettings;

// A started runner of the team.
struct ResultRunner
{
    QString firstname, lastname, sex, country;
    SerialDateTime birthdate = 0;
};

// Time per kilometre: empty unless both are positive and the distance is a metre or more.
QString SpeedText(qint64 seconds, qint64 distance, qint64 mapScale);
// Time per point of an OK or hand-entered punch; empty otherwise.
QString TimePerPointText(qint64 seconds, qint64 points, int status);
// The country's name in the list; empty for a code it does not hold.
QString CountryName(const CountryList &countries, const QString &code);

// What every team page of a results run shares.
struct TeamPageContext
{
    const EventSettings &settings;
    const CountryList &countries;
    const CourseDefinition &course;
    const ReportPage &header;     // the page header, "Results:" and the event name as title
    const RouteBase *routeBase;   // with route maps only
};

struct TeamResultPage
{
    QStringList lines;            // the whole page
    std::optional<QImage> route;  // with route maps, for a team with a punch list
};

// list: the team's punch list, nullptr when it has none. whyLines: why the
// team has its result, shown under the punch table (so only with a list).
TeamResultPage WriteTeamResultPage(const TeamPageContext &context, const TeamRow &team, const std::vector<ResultRunner> &runners,
                                   const QString &placeText, const QString &subClassText, const tResArray *list,
                                   const QStringList &whyLines = {});
