#pragma once

// One hand correction as korvent-cli edit and the edit controls window make
// it: the log checked, the correction (one transaction, which on a server
// also puts its line into the shared log), its line at the top of the seat's
// edit log, then, when asked, the team calculated again.

#include "store/TeamRow.h"

#include <QString>
#include <memory>
#include <optional>

class MessageSink;
class TdmData;
struct EventSetup;

enum class CorrectionKind { AddControl, RemoveControl, ChangeStatus, TeamStatus };

struct Correction
{
    CorrectionKind kind = CorrectionKind::AddControl;
    qint64 teamId = 0;
    QString control; // the control removed or changed; the from-control of an added one
    QString missing; // the control added
    int choice = -1; // position in NewPunchStatusChoices or NewTeamStatusChoices; -1 for none
};

struct CorrectionOutcome
{
    QString line;                // the log line, empty when the choices were not all made
    bool logged = false;         // the line is in the log the window shows (the shared one on a server)
    std::optional<TeamRow> team; // the team row afterwards; nullopt when it is gone
};

// Refuses a log that cannot be read and written (KorventError) before anything
// is changed. Once the correction is committed it is never hidden: a log that
// fails after all is reported to messages as an error, and the team is still
// calculated when asked. The calculation reports to messages and finds the
// team by the number its row holds after the correction.
CorrectionOutcome ApplyCorrection(TdmData &data, const QString &eventDirectory, std::shared_ptr<const EventSetup> setup,
                                  const Correction &correction, bool calculate, MessageSink &messages);
