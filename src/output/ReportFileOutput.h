#pragma once

// The files of a report run written into the event's folders: results/ and
// web/ are made (with the program's style sheets) when first written to, and
// the run's files are put in place together (WriteFilesTogether): all of them,
// or, when one cannot be written, none. A chosen file that is one of the
// event's own files (RefuseEventFileAsTarget) is refused before anything is written.

#include "output/ReportOutput.h"
#include "store/EventLocation.h"

class ReportFileOutput final : public ReportOutput
{
public:
    explicit ReportFileOutput(const EventLocation &location);

    // Where the file goes on disk.
    QString path(const ReportFile &file) const;
    void commit() override;

private:
    QString folderPath(ReportFolder folder) const;

    EventLocation m_location;
};
