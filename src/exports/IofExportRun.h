#pragma once

// What the IOF XML exports share around the document: the classes and
// teams it lists, the calculation that gives the punch lists, and the
// closing steps.

#include "exports/IofExport.h"
#include "exports/IofResultRows.h"
#include "base/XmlDocument.h"
#include "scoring/TeamCalculation.h"

#include "base/MessageSink.h"
#include "base/WorkSteps.h"

#include <exception>

// The list-only calculation for a run, reporting to the context's sink.
class IofExportCalculation
{
public:
    explicit IofExportCalculation(const ReportContext &context);

    TeamCalculation &calculation() { return m_calculation; }
    MessageSink &messages() { return m_messages; }

private:
    // Stands in when the run has no sink.
    struct Unreported : MessageSink
    {
        void error(const QString &) override {}
        void warning(const QString &) override {}
    };
    Unreported m_unreported;
    MessageSink &m_messages;
    TeamCalculation m_calculation;
};

struct IofClassTeams
{
    QString className;
    std::vector<TeamRow> teams;
};

// The class entries with their calculated teams, all read before the
// document is begun, so that a team is a step of a known total.
std::vector<IofClassTeams> IofClassesWithTeams(const ReportContext &context);
// A step for each team of the classes.
WorkSteps IofTeamSteps(const ReportContext &context, const std::vector<IofClassTeams> &classes);

// Writes the document to `fileName` in the event folder and, when compress is
// set, its compressed copy to `compressedName` (with the work file beside
// it). After a failed step (`failure` set) the files are committed and the
// failure is raised again. A cancelled run is no failed step: it never
// comes here, and nothing is committed.
void SaveIofDocument(const ReportContext &context, const XmlDocument &document, XmlEncoding encoding, const QString &fileName,
                     bool compress, const QString &compressedName, std::exception_ptr failure);
