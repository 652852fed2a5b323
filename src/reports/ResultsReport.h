#pragma once

// The results of the chosen classes: as a table, with splits (and the check
// of teams that punched together), for the web (with a page and a route map
// per team) or with the winners list for the prize giving.

#include "output/ReportContext.h"
#include "store/TeamRow.h"

#include <QSet>
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

// The team pages and route maps a web results run writes, by team number;
// unset: every team's. The live results build a class again when one of its
// teams changed: that team's page and map at once, the other pages (whose
// places may have moved) a little later, and no other map.
struct TeamPageChoice
{
    std::optional<QSet<qint64>> pages;
    std::optional<QSet<qint64>> maps;
};
std::optional<ReportFile> ResultsReport(const ReportContext &context, ResultsVariant variant, const ReportRequest &request,
                                        const TeamPageChoice &teamPages);

// The teams the results list for a class: the calculated teams of the group's
// classes, best result first, then shortest time.
std::vector<TeamRow> ClassResultTeams(db::Connection &connection, const ClassGroup &group);
