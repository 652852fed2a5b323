#pragma once

// Start list (with or without members), chip check list and control
// statistics. Each writes its page as `file` of the context's output.

#include "output/ReportContext.h"

ReportFile StartListReport(const ReportContext &context, const ReportFile &file, bool withMembers);
ReportFile CheckListReport(const ReportContext &context, const ReportFile &file);
ReportFile ControlStatisticsReport(const ReportContext &context, const ReportFile &file);
