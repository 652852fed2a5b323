#pragma once

// Entry lists for other programs and for the organiser: the participants
// list (CSV), the start list of the Cardex start clock, the team information
// text and every team with its runners on one line. Each writes its whole
// file as `file` of the context's output; fields are written as they are,
// without quoting, and every line ends with CR LF.

#include "output/ReportContext.h"

// encoding: one of Platform::textFileEncodings(), empty for the program's
// text encoding (the windows offer the choice for the teams-with-runners
// list only); another name raises KorventError before anything is written.

// The first three list runners only: a team without runners is left out.
void ExportParticipantsCsv(const ReportContext &context, const ReportFile &file, const QString &encoding = {});
void ExportCardexStartList(const ReportContext &context, const ReportFile &file, const QString &encoding = {});
void ExportTeamInfoText(const ReportContext &context, const ReportFile &file, const QString &encoding = {});

// Every team, with or without runners.
void ExportTeamsWithRunners(const ReportContext &context, const ReportFile &file, const QString &encoding);
