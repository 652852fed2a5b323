#pragma once

// The results of the chosen classes: as a table, with splits (and the check
// of teams that punched together), for the web (with a page and a route map
// per team) or with the winners list for the prize giving.

#include "output/ReportContext.h"
#include "reports/TeamResultPage.h"
#include "scoring/TeamPunchList.h"
#include "store/TeamRow.h"

#include <QHash>
#include <QSet>
#include <QStringList>
#include <optional>
#include <vector>

struct ClassGroup;

enum class ResultsVariant { Table, Splits, Web, Winners };

// The pages go to results/ (web/ for the web variant), one page or one per
// class; returns the last page written, nullopt when none. The splits write
// teamsControlSameTime.txt and CheckTeams_Together.txt, the winners
// winners.csv in the event folder: each once, over all the classes.
// Raises KorventError when the header template is missing, a class has too
// many sub-classes or the course picture cannot be drawn.
std::optional<ReportFile> ResultsReport(const ReportContext &context, ResultsVariant variant, const ReportRequest &request);

// What one run works out for a team that the next may take as it is, by
// team id: its punch list, the explanation of its result, its course cell
// in the splits and its runners. Kept by the live results between the builds of a class and
// forgotten for a team that changed (all of it when the course or settings
// did); places are never kept, they move with every team of the class.
struct TeamWorkCache
{
    struct Team
    {
        std::optional<bool> listed; // CalculateTeam's answer, once asked
        tResArray list;
        std::optional<QStringList> why;
        std::optional<QStringList> courseCell;
        std::optional<std::vector<ResultRunner>> runners;
    };
    QHash<qint64, Team> teams;
};

// What the live results ask of a run beyond a report.
struct LiveResultsChoice
{
    // The team pages and route maps a web results run writes, by team number;
    // unset: every team's. The live results build a class again when one of
    // its teams changed: that team's page and map at once, the other pages
    // (whose places may have moved) a little later, and no other map.
    std::optional<QSet<qint64>> pages;
    std::optional<QSet<qint64>> maps;
    // Teams with runners not calculated yet are listed too, after the others:
    // no place, no figures, their status as result, no team page. During the
    // event a family looks for its team before it is read out.
    bool uncalculatedTeams = false;
    // Teams sharing a number, or without one, are listed with their own
    // splits but without a page of their own, instead of the class being
    // refused: on the live site one such team costs no other its page.
    bool teamsWithoutPages = false;
    // Kept work to take and to add to; a run with it writes no team check
    // files of the splits (nobody reads them from the live results).
    TeamWorkCache *cache = nullptr;
};
std::optional<ReportFile> ResultsReport(const ReportContext &context, ResultsVariant variant, const ReportRequest &request,
                                        const LiveResultsChoice &live);

// The teams the results list for a class: the calculated teams of the group's
// classes, best result first, then shortest time; with uncalculated, then the
// teams with runners never calculated, by number.
std::vector<TeamRow> ClassResultTeams(db::Connection &connection, const ClassGroup &group, bool uncalculated = false);
