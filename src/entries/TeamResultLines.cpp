#include "entries/TeamResultLines.h"

#include "scoring/PunchListText.h"
#include "scoring/TeamCalculation.h"

QStringList TeamResultLines(TdmData &data, std::shared_ptr<const EventSetup> setup, MessageSink &messages, qint64 number)
{
    TeamCalculation calculation(data, std::move(setup), messages);
    calculation.LoadCourseDefinition();
    // A fresh list holds only what this call found, also when the team has a single entry.
    tResArray list;
    calculation.CalculateTeam(number, false, list);
    return PunchListLines(list);
}
