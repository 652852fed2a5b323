#pragma once

// Corrections made by hand at the secretariat: a missing control added for
// every runner of a team, a control removed, the status of a control's
// punches changed, the team status set. Each correction works on rows chosen
// by the team id and the exact control code, inside the caller's transaction
// (ApplyCorrection's: on a server the shared log's line commits with it), and
// returns the line that goes into the edit log. A correction whose choices are
// not all made changes nothing and returns an empty line.

#include "store/DateTime.h"
#include "store/TeamRow.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

class MessageSink;
class TdmData;
struct EventSetup;
namespace db { class Connection; }

// The first team with this number, as the calculation finds it.
std::optional<TeamRow> FindTeamByNumber(db::Connection &connection, qint64 number);
// When more teams than one have the number, the warning that names them as
// the calculation does and says that a correction goes to the first; empty else.
QString SharedNumberWarning(db::Connection &connection, qint64 number);
// The team row as it is now; nullopt when the row is gone.
std::optional<TeamRow> ReadTeam(db::Connection &connection, qint64 teamId);

// A status offered for choosing: its list text and the code it stores.
struct StatusChoice
{
    QString text;
    int code;
};
// New punch statuses and new team statuses, in list order.
const std::vector<StatusChoice> &NewPunchStatusChoices();
const std::vector<StatusChoice> &NewTeamStatusChoices();
QStringList ChoiceTexts(const std::vector<StatusChoice> &choices);
// The position of the choice with exactly this text; -1 when none.
int ChoiceIndex(const std::vector<StatusChoice> &choices, const QString &text);

// The log line of an added control whose from-control the team never punched.
QString NoResultRecordLine();

// One punch of `missing` with status Man and no points for every runner of the
// team. Its time: ten minutes after the event start when `from` is "S", else
// five minutes after the team's earliest timed punch at `from`; without such
// a punch nothing is added and the line is NoResultRecordLine().
QString AddMissingControl(db::Connection &connection, qint64 teamId, const QString &from, const QString &missing,
                          SerialDateTime eventStart);
// Deletes the team's punches at `control`.
QString RemoveControl(db::Connection &connection, qint64 teamId, const QString &control);
// Stores the chosen new status (position in NewPunchStatusChoices, -1 for
// none) in the team's punches at `control`; the line lists the old statuses.
QString ChangeControlStatus(db::Connection &connection, qint64 teamId, const QString &control, int choice);
// Sets the team status (position in NewTeamStatusChoices, -1 for none) with
// the result that goes with it.
QString SetTeamStatus(db::Connection &connection, qint64 teamId, int choice);

// The newest line of the log (newest first) that added, removed or changed
// the team's punches at `control`; empty when there is none.
QString NewestControlCorrection(const QStringList &log, qint64 teamNumber, const QString &control);
// The control a log line added, removed or changed for the team; empty when
// the line is no such correction of the team.
QString CorrectedControl(const QString &line, qint64 teamNumber);
// The newest line of the log that set the team's status by hand; empty when there is none.
QString NewestTeamStatusCorrection(const QStringList &log, qint64 teamNumber);

// CalculateTeam with the result stored, on the course as the tables hold it
// now. Opens its own transaction: call it after the correction's commit.
bool RecalculateTeam(TdmData &data, std::shared_ptr<const EventSetup> setup, MessageSink &messages, qint64 number);
