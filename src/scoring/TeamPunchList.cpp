#include "scoring/TeamPunchList.h"

#include "scoring/CalculationRecorder.h"

#include "store/StatusTexts.h"
#include "store/TextHelpers.h"
#include "store/TimeHelpers.h"

#include <algorithm>
#include <optional>

namespace {

// The punches of one control code, as collected in index order (1-based positions).
class ControlGroup
{
public:
    ControlGroup(int requiredRunners, int punchWindow, TeamPunchEvaluation &result, CalculationRecorder *recorder)
        : m_required(requiredRunners), m_window(punchWindow), m_result(result), m_recorder(recorder) {}

    int size() const { return m_count; }
    void clear() { m_count = 0; }
    // False when the group is full.
    bool add(const StoredPunch &punch)
    {
        if (m_count == MaxGroupPunches)
            return false;
        m_records[m_count++] = &punch;
        return true;
    }
    void evaluate();

private:
    const StoredPunch &record(int k) const { return *m_records[k - 1]; }
    // Lists record k; `runners` and `other` tell the recorder what the rule weighed.
    void append(int k, int status, PunchRule rule, qint64 seconds = 0, int runners = 0, const StoredPunch *other = nullptr,
                std::optional<SerialDateTime> time = std::nullopt)
    {
        const StoredPunch &punch = record(k);
        m_result.list.push_back(tControlRes{punch.code, time.value_or(punch.time), status, punch.id, seconds, 0});
        if (m_recorder)
            m_recorder->punchDecided({rule, punch, &m_result.list.back(), runners, m_required, m_window, other});
    }
    // Record k makes no entry: it belongs to the visit of `visit`.
    void pass(int k, PunchRule rule, const StoredPunch &visit)
    {
        if (m_recorder)
            m_recorder->punchDecided({rule, record(k), nullptr, 0, m_required, m_window, &visit});
    }
    int distinctRunners(int from, int to) const;
    void evaluateScoringControl(int distinct);
    void searchWindows(int distinct);
    void evaluateFinish(int distinct);
    void evaluateOtherControl();

    int m_required;
    int m_window;
    TeamPunchEvaluation &m_result;
    CalculationRecorder *m_recorder;
    const StoredPunch *m_records[MaxGroupPunches] = {};
    int m_count = 0;
};

int ControlGroup::distinctRunners(int from, int to) const
{
    int distinct = 0;
    for (int k = from; k <= to; ++k) {
        bool seen = false;
        for (int earlier = from; earlier < k && !seen; ++earlier)
            seen = record(earlier).runnerId == record(k).runnerId;
        if (!seen)
            ++distinct;
    }
    return distinct;
}

void ControlGroup::evaluate()
{
    if (m_count == 0)
        return;
    if (m_required == 0) {
        if (m_recorder)
            m_recorder->groupIgnored(record(1).code);
        return;
    }
    const int distinct = distinctRunners(1, m_count);
    const QString &code = record(1).code;
    if (LeadingNumber(code) > 0)
        evaluateScoringControl(distinct);
    else if (code == QLatin1String("F"))
        evaluateFinish(distinct);
    else
        evaluateOtherControl();
}

void ControlGroup::evaluateScoringControl(int distinct)
{
    const int last = m_count;
    if (distinct < m_required) {
        append(1, PunchMissing, PunchRule::NotAllRunners, 0, distinct);
        return;
    }
    const int firstStatus = record(1).status;
    if (firstStatus == PunchMan || firstStatus == PunchDQ) {
        append(1, firstStatus, PunchRule::SetByHand, 0, distinct);
        return;
    }
    if (m_window == -1 || distinct == 1) {
        // The latest punch scores; earlier visits more than the gap apart are repeats.
        append(last, PunchOK, PunchRule::LatestPunch, 0, distinct);
        int anchor = last;
        for (int k = last - 1; k >= 1; --k) {
            if (SecondsBetween(record(anchor).time, record(k).time) > VisitGapSeconds) {
                append(k, PunchDouble, PunchRule::EarlierVisit, 0, 0, &record(anchor));
                anchor = k;
            } else {
                pass(k, PunchRule::SameVisit, record(anchor));
            }
        }
        return;
    }
    searchWindows(distinct);
}

// Every required runner must punch within the window: look for the first
// run of records, from each start on, that holds them all.
void ControlGroup::searchWindows(int distinct)
{
    const int last = m_count;
    int start = 1;
    bool found = false;
    SerialDateTime lastTime = 0;
    bool weighed[MaxGroupPunches + 1] = {}; // records inside a complete window
    do {
        for (int i = start + m_required - 1; i <= last; ++i) {
            if (distinctRunners(start, i) != m_required)
                continue;
            std::fill(weighed + start, weighed + i + 1, true);
            const qint64 spread = SecondsBetween(record(start).time, record(i).time);
            const int status = (m_window == -1 || spread <= m_window) ? PunchOK : PunchOverInterval;
            if (!found) {
                append(i, status, status == PunchOK ? PunchRule::WindowKept : PunchRule::WindowMissed, spread, m_required, &record(start));
                if (status == PunchOK) {
                    found = true;
                    start = i;
                }
            } else {
                append(i, PunchDouble, PunchRule::WindowAgain, spread, m_required, &record(start));
            }
            lastTime = record(i).time;
            break;
        }
        ++start;
    } while (start < last);
    if (lastTime != record(last).time && !found) {
        append(last, PunchOverInterval, PunchRule::NoWindow, SecondsBetween(record(last).time, record(1).time), distinct, &record(1));
        weighed[last] = true;
    }
    if (m_recorder)
        for (int k = 1; k <= last; ++k)
            if (!weighed[k])
                pass(k, PunchRule::OutsideWindows, record(k));
}

void ControlGroup::evaluateFinish(int distinct)
{
    // The entry carries the last finish punch's time, the first one's id.
    const bool complete = distinct == m_required;
    if (complete)
        m_result.finishTime = record(m_count).time;
    append(1, complete ? PunchOK : PunchOverInterval, complete ? PunchRule::FinishComplete : PunchRule::FinishIncomplete, 0, distinct,
           &record(m_count), record(m_count).time);
}

void ControlGroup::evaluateOtherControl()
{
    append(1, PunchOK, PunchRule::OtherCode);
    int anchor = 1;
    for (int k = 2; k <= m_count; ++k) {
        if (SecondsBetween(record(anchor).time, record(k).time) > VisitGapSeconds) {
            append(k, PunchOK, PunchRule::OtherCodeAgain, 0, 0, &record(anchor));
            anchor = k;
        } else {
            pass(k, PunchRule::SameVisit, record(anchor));
        }
    }
}

// The exchange sort of the list by time; its handling of equal times is part of the result.
void sortByTime(tResArray &list)
{
    const size_t n = list.size();
    for (size_t i = 0; i + 1 < n; ++i)
        for (size_t j = i; j < n; ++j)
            if (list[i].time > list[j].time)
                std::swap(list[i], list[j]);
}

} // namespace

TeamPunchEvaluation EvaluateTeamPunches(const std::vector<StoredPunch> &punches, int requiredRunners, int punchWindow,
                                        CalculationRecorder *recorder)
{
    TeamPunchEvaluation result;
    ControlGroup group(requiredRunners, punchWindow, result, recorder);
    QString previousCode;
    std::optional<qint64> previousRunner;
    QString groupCode = punches.empty() ? QString() : punches.front().code;
    for (const StoredPunch &punch : punches) {
        // A runner's repeated punch next to the earlier one: only the earliest counts.
        const bool repeat = punch.code == previousCode && previousRunner == punch.runnerId;
        if (repeat && recorder)
            recorder->repeatSkipped(punch);
        if (!repeat) {
            if (punch.code != groupCode) {
                group.evaluate();
                group.clear();
                groupCode = punch.code;
            }
            // Unknown controls (status 9 and up) take no part.
            if (punch.status >= PunchUnknown) {
                if (recorder)
                    recorder->unknownSkipped(punch);
            } else if (!group.add(punch)) {
                result.list.clear();
                result.finishTime = 0;
                result.tooManyPunches = true;
                if (recorder)
                    recorder->tooManyPunches(punch.code, MaxGroupPunches);
                return result;
            }
        }
        previousCode = punch.code;
        previousRunner = punch.runnerId;
    }
    // The last group without required runners is not weighed either.
    if (group.size() > 0)
        group.evaluate();
    sortByTime(result.list);
    if (recorder)
        recorder->listMade(result.list);
    return result;
}
