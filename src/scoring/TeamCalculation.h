#pragma once

// Team results from stored punches: the punch list of a team and, when
// storing, its points, penalty, result, times and status on the team row.

#include "scoring/CourseDefinition.h"
#include "scoring/TeamPunchList.h"

#include "store/EventSetup.h"

#include <memory>

class MessageSink;
class TdmData;
namespace db { class Connection; }

struct CalculationSummary
{
    int calculated = 0;  // teams whose calculation ran
    int withResult = 0;  // ... and wrote a full result
    int noResult = 0;    // ... and stand at NARes.
    int errors = 0;      // teams whose calculation failed (reported to the sink)
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

    // The team with this number (the first, when numbers repeat). List-only:
    // true when the list has two entries or more. Storing: true when the team
    // row got a full result. When false the list must not be used.
    bool CalculateTeam(qint64 number, bool store, tResArray &list);

    // Every team (all) or only those never calculated; loads the course first.
    // A team that fails is reported and the run goes on.
    CalculationSummary CalculateAllTeams(bool all);

private:
    struct TeamRow;
    struct Outcome
    {
        bool ok = false;
        bool tooManyPunches = false;
        int status = 0; // the team's status afterwards
    };

    Outcome calculate(const TeamRow &team, const std::vector<StoredPunch> &punches, int startedRunners, bool store,
                      tResArray &list);
    void storeResult(const TeamRow &team, const tResArray &list, TDateTime finishTime, Outcome &outcome);
    int requiredRunners(int startedRunners) const;

    db::Connection &m_connection;
    std::shared_ptr<const EventSetup> m_setup;
    MessageSink &m_messages;
    CourseDefinition m_course;
};
