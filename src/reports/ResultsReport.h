#pragma once

// The results of the chosen classes: as a table, with splits (and the check
// of teams that punched together), for the web (with a page and a route map
// per team) or with the winners list for the prize giving.

#include "output/ReportContext.h"

enum class ResultsVariant { Table, Splits, Web, Winners };

// The pages go to results/ (web/ for the web variant), one page or one per
// class; returns the last page written, nullopt when none. The splits write
// teamsControlSameTime.txt and CheckTeams_Together.txt, the winners
// winners.csv in the event folder: each once, over all the classes.
// Raises KorventError when the header template is missing, a class has too
// many sub-classes or the course picture cannot be drawn.
std::optional<ReportFile> ResultsReport(const ReportContext &context, ResultsVariant variant, const ReportRequest &request);
