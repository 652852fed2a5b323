#pragma once

// Team results from stored punches: the punch list of a team and, when
// storing, its points, penalty, result, times and status on the team row.

#include "scoring/CourseDefinition.h"
#include "scoring/TeamPunchList.h"

#include "store/EventSetup.h"

#include "base/WorkProgress.h"

#include <QSqlQuery>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class CalculationRecorder;
class MessageSink;
class TdmData;
struct TeamRow;
namespace db { class Connection; }

struct CalculationSummary
{
    int calculated = 0;  // teams whose calculation ran
    int withResult = 0;  // ... and wrote a full result
    int noResult = 0;    // ... and stand at NARes.
    int errors = 0;      // teams whose calculation failed (reported to the sink)
    bool cancelled = false; // stopped on request: the teams not counted are as before
    double longestWriteMs = 0; // the longest the run held the writer lock at once
};

class TeamCalculation
{
public:
    TeamCalculation(TdmData &data, std::shared_ptr<const EventSetup> setup, MessageSink &messages);
    TeamCalculation(db::Connection &connection, std::shared_ptr<const EventSetup> setup, MessageSink &messages);

    // Reloads controls, extra-point rules and classes; CalculateTeam uses the last load.
    void LoadCourseDefinition();
    // The course of the last load.
    const CourseDefinition &course() const { return m_course; }
    const EventSetup &setup() const { return *m_setup; }

    // The team with this number (the first, when numbers repeat). List-only:
    // true when the list has two entries or more. Storing: true when the team
    // row got a full result. When false the list must not be used.
    bool CalculateTeam(qint64 number, bool store, tResArray &list);
    // CalculateTeam for the team with this id: a team that shares its number
    // with an earlier one is reached too.
    bool CalculateTeamWithId(qint64 id, bool store, tResArray &list);
    // CalculateTeam storing for each of these numbers, in one transaction:
    // one commit (and one hold of the writer lock) for teams read out
    // together. Returns the ids of the teams found. When the transaction
    // fails, the teams go one at a time and only a failing one is reported.
    std::vector<qint64> CalculateTeams(const std::vector<qint64> &numbers);
    // Works the team with this number out as CalculateTeam storing does and
    // tells the recorder every decision; writes nothing. False when there is no such team.
    bool ExplainTeam(qint64 number, CalculationRecorder &recorder);

    // The teams with punches whose calculation would store something other
    // than their row holds (when it was made aside): read out but never
    // calculated, or changed since. Loads the course first; writes nothing.
    // Ends early, with what it found, once `stopped` says so.
    std::vector<qint64> StaleTeams(const std::function<bool()> &stopped);

    // Every team (all) or only those never calculated; loads the course first.
    // A team that fails is reported and the run goes on. Cancelled, it stops
    // between teams: each team is as before or freshly calculated.
    CalculationSummary CalculateAllTeams(bool all, WorkProgress &progress = NoProgress());

private:
    // What the calculation of one team reads.
    struct TeamInputs;
    // What a calculation stores on the team row: the status alone (NARes.) or the full result.
    struct ResultWrite
    {
        bool full = false;
        QVariantList values;
    };
    struct Outcome
    {
        bool ok = false;
        bool tooManyPunches = false;
        int status = 0; // the team's status afterwards
        std::optional<ResultWrite> write; // none: the row stays as it is
    };

    // A team by id, or the first with a number (the calculation finds teams by number).
    struct TeamKey
    {
        bool byId = false;
        qint64 value = 0;
    };
    // The team, as readTeams reads it.
    std::optional<TeamInputs> readTeam(TeamKey key);
    bool calculate(TeamKey key, bool store, tResArray &list);
    // Every team with an id in the range, with its started runners and punches.
    std::map<qint64, TeamInputs> readTeams(qint64 firstId, qint64 lastId);
    // Changes whenever another connection commits.
    qint64 dataVersion();
    // Works the team out; storing, the outcome holds what to write.
    Outcome evaluate(const TeamInputs &inputs, bool store, tResArray &list, CalculationRecorder *recorder = nullptr);
    void planResult(const TeamRow &team, const tResArray &list, SerialDateTime finishTime, Outcome &outcome, CalculationRecorder *recorder);
    void write(const Outcome &outcome);
    // The row holds what the write would store, when it was made aside.
    static bool holds(const TeamRow &team, const ResultWrite &write);
    void report(const TeamRow &team, const Outcome &outcome);
    int requiredRunners(int startedRunners) const;

    db::Connection &m_connection;
    std::shared_ptr<const EventSetup> m_setup;
    MessageSink &m_messages;
    CourseDefinition m_course;
    // Prepared once for all teams: on a server each preparing is a round trip more a team.
    std::optional<QSqlQuery> m_writeStatus, m_writeResult;
};
