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

// The same, with the route maps of only the teams numbered in routeMapTeams:
// the other teams' pages are written, their maps left as they were. The live
// results draw the maps of the teams whose punches changed.
std::optional<ReportFile> ResultsReport(const ReportContext &context, ResultsVariant variant, const ReportRequest &request,
                                        const QSet<qint64> &routeMapTeams);

// The teams the results list for a class: the calculated teams of the group's
// classes, best result first, then shortest time.
std::vector<TeamRow> ClassResultTeams(db::Connection &connection, const ClassGroup &group);
