#include "scoring/ApplyCorrection.h"

#include "scoring/CorrectionLog.h"
#include "scoring/PunchCorrections.h"

#include "base/KorventError.h"
#include "base/MessageSink.h"
#include "store/EventSetup.h"
#include "store/uData.h"

namespace {

QString correct(db::Connection &connection, const EventSetup &setup, const Correction &correction)
{
    switch (correction.kind) {
    case CorrectionKind::AddControl:
        return AddMissingControl(connection, correction.teamId, correction.control, correction.missing,
                                 setup.settings.EventStartDateTime());
    case CorrectionKind::RemoveControl:
        return RemoveControl(connection, correction.teamId, correction.control);
    case CorrectionKind::ChangeStatus:
        return ChangeControlStatus(connection, correction.teamId, correction.control, correction.choice);
    case CorrectionKind::TeamStatus:
        return SetTeamStatus(connection, correction.teamId, correction.choice);
    }
    return QString();
}

} // namespace

CorrectionOutcome ApplyCorrection(TdmData &data, const QString &eventDirectory, std::shared_ptr<const EventSetup> setup,
                                  const Correction &correction, bool calculate, MessageSink &messages)
{
    RefuseUnwritableCorrectionLog(eventDirectory);
    CorrectionOutcome outcome;
    {
        db::Transaction transaction(data.connection());
        outcome.line = correct(data.connection(), *setup, correction);
        outcome.logged = ShareCorrectionLogLine(eventDirectory, outcome.line);
        transaction.commit();
    }
    // The seat's file after the commit: the writer lock is not held for a file's write.
    try {
        PrependCorrectionLog(eventDirectory, outcome.line);
        outcome.logged = true;
    } catch (const KorventError &error) {
        messages.error(error.message());
    }
    if (calculate) {
        if (const std::optional<TeamRow> team = ReadTeam(data.connection(), correction.teamId))
            RecalculateTeam(data, setup, messages, team->number);
    }
    // What the correction and the calculation left on the team row.
    outcome.team = ReadTeam(data.connection(), correction.teamId);
    return outcome;
}
