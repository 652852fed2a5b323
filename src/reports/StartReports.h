#pragma once

// Start list (with or without members), chip check list and control statistics.

#include "reports/ReportCatalogue.h"

QString StartListReport(const ReportContext &context, bool withMembers);
QString CheckListReport(const ReportContext &context);
QString ControlStatisticsReport(const ReportContext &context);
