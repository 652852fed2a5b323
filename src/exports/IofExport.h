#pragma once

// The event's results as an IOF XML result list, version 3.0 or 2.0.3, with
// an optional compressed copy, written through the output into the event
// folder. Both exports go on as far as they can: when a step fails, what was
// built so far is still written and committed (with its compressed copy when
// asked), and the failure is then raised as KorventError.

#include "output/ReportContext.h"

#include <QString>

namespace IofExportFiles {
inline const QString xml3 = QStringLiteral("Rogain_iofXML3.xml");
inline const QString xml3Compressed = QStringLiteral("Rogain_iofXML3.xmlzip.xml");
inline const QString xml2 = QStringLiteral("iofXML.xml");
inline const QString xml2Compressed = QStringLiteral("iofXMLzip.xml");
// The zlib stream of the compressed copy, left beside it.
inline const QString work = QStringLiteral("temp.zlb");
} // namespace IofExportFiles

// The IOF XML 3.0 ResultList in UTF-8.
void ExportIofXml3(const ReportContext &context, bool compress);
// The IOF XML 2.0.3 ResultList in ISO-8859-1.
void ExportIofXml2(const ReportContext &context, bool compress);
