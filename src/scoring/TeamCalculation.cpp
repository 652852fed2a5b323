#include "scoring/TeamCalculation.h"

#include "scoring/CalculationRecorder.h"
#include "scoring/OvertimePenalty.h"
#include "scoring/UnlistedMembers.h"

#include "base/KorventError.h"
#include "base/MessageSink.h"
#include "base/WorkProgress.h"
#include "db/CommitFlushing.h"
#include "db/PortableSql.h"
#include "store/StatusTexts.h"
#include "store/TeamRow.h"
#include "store/TimeHelpers.h"
#include "store/uData.h"

#include <QCoreApplication>
#include <QHash>
#include <QMap>
#include <QElapsedTimer>
#include <QSqlQuery>

#include <algorithm>
#include <chrono>
#include <thread>
#include <limits>

struct TeamCalculation::TeamInputs
{
    TeamRow team;
    int startedRunners = 0;
    std::vector<StoredPunch> punches;
};

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(TeamCalculation)
};

const QString teamColumns = QStringLiteral("id, number, name, class, status, calctime");

StoredPunch punchOf(const QSqlQuery &query, int first)
{
    return StoredPunch{query.value(first).toLongLong(), query.value(first + 1).toLongLong(), query.value(first + 2).toString(),
                       DateTime::fromStored(query.value(first + 3)), query.value(first + 4).toInt()};
}

bool statusFollowsCalculation(int status)
{
    return status == TeamOK || status == TeamLate || status == TeamNoResult || status == TeamStarted || status == TeamNew;
}

} // namespace

TeamCalculation::TeamCalculation(TdmData &data, std::shared_ptr<const EventSetup> setup, MessageSink &messages)
    : TeamCalculation(data.connection(), std::move(setup), messages)
{
}

TeamCalculation::TeamCalculation(db::Connection &connection, std::shared_ptr<const EventSetup> setup, MessageSink &messages)
    : m_connection(connection)
    , m_setup(std::move(setup))
    , m_messages(messages)
{
}

void TeamCalculation::LoadCourseDefinition()
{
    m_course = CourseDefinition::load(m_connection, m_setup->classTree);
}

int TeamCalculation::requiredRunners(int startedRunners) const
{
    return m_setup->settings.controlCard == EventSettings::CardPerTeam ? 1 : startedRunners;
}

std::optional<TeamCalculation::TeamInputs> TeamCalculation::readTeam(TeamKey key)
{
    const std::optional<qint64> id = key.byId ? std::optional<qint64>(key.value) : FirstTeamNumbered(m_connection, key.value);
    if (!id)
        return std::nullopt;
    std::map<qint64, TeamInputs> team = readTeams(*id, *id);
    if (team.empty())
        return std::nullopt;
    return std::move(team.begin()->second);
}

qint64 TeamCalculation::dataVersion()
{
    return db::CommittedChangesMark(m_connection);
}

bool TeamCalculation::CalculateTeam(qint64 number, bool store, tResArray &list)
{
    return calculate({false, number}, store, list);
}

bool TeamCalculation::CalculateTeamWithId(qint64 id, bool store, tResArray &list)
{
    return calculate({true, id}, store, list);
}

bool TeamCalculation::calculate(TeamKey key, bool store, tResArray &list)
{
    std::optional<TeamInputs> team;
    try {
        Outcome outcome;
        if (!store) {
            team = readTeam(key);
            if (!team)
                return false;
            outcome = evaluate(*team, false, list);
        } else {
            // The team is read inside the transaction that writes it: a status
            // set by another program meanwhile is seen, not written over.
            db::Transaction transaction(m_connection);
            team = readTeam(key);
            if (!team)
                return false;
            outcome = evaluate(*team, true, list);
            write(outcome);
            transaction.commit();
        }
        report(team->team, outcome);
        return outcome.ok;
    } catch (const KorventError &error) {
        const qint64 number = team ? team->team.number : key.value;
        m_messages.error(Texts::tr("Error: Team nr") + QString::number(number) + u' ' + error.message());
        return false;
    }
}

std::vector<qint64> TeamCalculation::CalculateTeams(const std::vector<qint64> &numbers)
{
    std::vector<std::pair<TeamRow, Outcome>> done;
    try {
        // Each team read inside the transaction that writes it, as CalculateTeam does.
        db::Transaction transaction(m_connection);
        for (const qint64 number : numbers) {
            const std::optional<TeamInputs> team = readTeam({false, number});
            if (!team)
                continue;
            tResArray list;
            Outcome outcome = evaluate(*team, true, list);
            write(outcome);
            done.emplace_back(team->team, std::move(outcome));
        }
        transaction.commit();
    } catch (const KorventError &error) {
        if (numbers.size() == 1) {
            m_messages.error(Texts::tr("Error: Team nr") + QString::number(numbers.front()) + u' ' + error.message());
            return {};
        }
        std::vector<qint64> ids;
        for (const qint64 number : numbers)
            for (const qint64 id : CalculateTeams({number}))
                ids.push_back(id);
        return ids;
    }
    std::vector<qint64> ids;
    for (const auto &[team, outcome] : done) {
        report(team, outcome);
        ids.push_back(team.id);
    }
    return ids;
}

bool TeamCalculation::ExplainTeam(qint64 number, CalculationRecorder &recorder)
{
    const std::optional<TeamInputs> team = readTeam({false, number});
    if (!team)
        return false;
    tResArray list;
    evaluate(*team, true, list, &recorder);
    return true;
}

void TeamCalculation::report(const TeamRow &team, const Outcome &outcome)
{
    // Only after the transaction: a message box waiting for the operator must not hold the writer lock.
    if (outcome.tooManyPunches)
        m_messages.error(Texts::tr("To many controls! :") + team.name);
}

TeamCalculation::Outcome TeamCalculation::evaluate(const TeamInputs &inputs, bool store, tResArray &list, CalculationRecorder *recorder)
{
    const TeamRow &team = inputs.team;
    Outcome outcome;
    outcome.status = team.status;
    const int required = requiredRunners(inputs.startedRunners);
    if (recorder)
        recorder->teamRead(team, inputs.punches, required,
                           m_setup->settings.controlCard == EventSettings::CardPerTeam, m_setup->settings.punchWindowSeconds);
    TeamPunchEvaluation evaluation = EvaluateTeamPunches(inputs.punches, required, m_setup->settings.punchWindowSeconds, recorder);
    if (evaluation.tooManyPunches) {
        outcome.tooManyPunches = true;
        if (recorder)
            recorder->noResult(NoResultReason::TooManyPunches, team.status, team.status);
        return outcome;
    }
    list = std::move(evaluation.list);
    if (!store) {
        outcome.ok = list.size() >= 2;
        return outcome;
    }
    planResult(team, list, evaluation.finishTime, outcome, recorder);
    return outcome;
}

void TeamCalculation::planResult(const TeamRow &team, const tResArray &list, SerialDateTime finishTime, Outcome &outcome,
                                 CalculationRecorder *recorder)
{
    const EventSettings &settings = m_setup->settings;
    qint64 points = 0;
    qint64 inCenter = 0;
    QString previousCode = ExtraPointRules::startCode();
    for (size_t i = 0; i < list.size(); ++i) {
        const tControlRes &entry = list[i];
        const TControlPoint *control = m_course.findControl(entry.code);
        const bool scores = entry.status <= PunchMan;
        if (scores && control)
            points += control->points;
        // Extra points follow the order of visits, whatever their statuses.
        const qint64 extraPoints = m_course.extraPoints().legPoints(previousCode, entry.code);
        points += extraPoints;
        qint64 centre = 0;
        if (i + 1 < list.size() && entry.code == QLatin1String("I")
            && (list[i + 1].code == QLatin1String("O") || list[i + 1].code == QLatin1String("F")))
            centre = SecondsBetween(entry.time, list[i + 1].time);
        inCenter += centre;
        if (recorder)
            recorder->entryCounted(entry, control, scores, previousCode, extraPoints, centre);
        previousCode = entry.code;
    }

    if (finishTime == 0 || points == 0) {
        if (team.status >= TeamNoResult && list.size() >= 2) {
            outcome.write = ResultWrite{false, {TeamNoResult, team.id}};
            outcome.status = TeamNoResult;
        }
        if (recorder)
            recorder->noResult(finishTime == 0 ? NoResultReason::NoFinish : NoResultReason::NoPoints, team.status, outcome.status);
        return;
    }
    const std::optional<TClassInfo> teamClass = FindClass(m_course.classes(), team.className);
    if (!teamClass) {
        if (recorder)
            recorder->noResult(NoResultReason::ClassMissing, team.status, team.status);
        return;
    }

    const SerialDateTime eventDay = DateTime::fromDateAndTime(settings.eventDate->date(), QTime(0, 0));
    const qint64 runningTime = SecondsBetween(eventDay, finishTime) * 100 - teamClass->start;
    const Overtime overtime = OvertimePenalty(runningTime, *teamClass, settings.penaltySpanSeconds, settings.penaltyPoints);
    const int computedStatus = overtime.late ? TeamLate : TeamOK;
    const qint64 penalty = overtime.penalty;
    // Statuses set by hand (OB, W/D, DSQ, DNS, ...) survive the calculation.
    const int effectiveStatus = statusFollowsCalculation(team.status) ? computedStatus : team.status;
    const qint64 result = effectiveStatus == TeamOK ? qMax<qint64>(points + penalty, 0) : -effectiveStatus;

    outcome.write = ResultWrite{true,
                                {effectiveStatus, runningTime / 100, DateTime::toStored(eventDay + teamClass->start / 8'640'000.0),
                                 DateTime::toStored(finishTime), points, penalty, result, DateTime::toStored(DateTime::now()),
                                 inCenter, team.id}};
    outcome.status = effectiveStatus;
    outcome.ok = true;
    if (recorder)
        recorder->resultMade({points, finishTime, runningTime, *teamClass, settings.penaltySpanSeconds, settings.penaltyPoints,
                              overtime, computedStatus, team.status, effectiveStatus, result, inCenter});
}

void TeamCalculation::write(const Outcome &outcome)
{
    if (!outcome.write)
        return;
    std::optional<QSqlQuery> &statement = outcome.write->full ? m_writeResult : m_writeStatus;
    if (!statement)
        statement = m_connection.prepare(outcome.write->full ? QStringLiteral("UPDATE team SET status=?, rtime=?, start=?, finis=?, points=?, "
                                                                             "penalty=?, result=?, calctime=?, inCenter=? WHERE id=?")
                                                             : QStringLiteral("UPDATE team SET status=? WHERE id=?"));
    m_connection.exec(*statement, outcome.write->values);
}

bool TeamCalculation::holds(const TeamRow &team, const ResultWrite &write)
{
    // Positions as write() binds them.
    const QVariantList &v = write.values;
    if (!write.full)
        return team.status == v[0].toInt();
    return team.calculated && team.status == v[0].toInt() && team.rtime == v[1].toLongLong() && team.points == v[4].toLongLong()
        && team.penalty == v[5].toLongLong() && team.result == v[6].toLongLong() && team.inCenter == v[8].toLongLong();
}

std::vector<qint64> TeamCalculation::StaleTeams(const std::function<bool()> &stopped)
{
    LoadCourseDefinition();
    std::vector<qint64> stale;
    for (const auto &[id, inputs] : readTeams(std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max())) {
        if (stopped())
            break;
        if (inputs.punches.empty())
            continue;
        tResArray list;
        const Outcome outcome = evaluate(inputs, true, list);
        if (outcome.write && !holds(inputs.team, *outcome.write))
            stale.push_back(id);
    }
    return stale;
}

std::map<qint64, TeamCalculation::TeamInputs> TeamCalculation::readTeams(qint64 firstId, qint64 lastId)
{
    db::Connection &connection = m_connection;
    const QVariantList range{firstId, lastId};
    std::map<qint64, TeamInputs> teams;
    QSqlQuery teamRows = connection.exec(QStringLiteral("SELECT %1 FROM team WHERE id BETWEEN ? AND ? ORDER BY id").arg(teamColumns), range);
    const TeamRowReader reader(teamRows);
    while (teamRows.next()) {
        const TeamRow row = reader.read(teamRows);
        teams.emplace(row.id, TeamInputs{row, 0, {}});
    }
    QSqlQuery started = connection.exec(QStringLiteral("SELECT team_id, COUNT(*) FROM runner WHERE started=1 AND team_id BETWEEN ? AND ? "
                                                       "GROUP BY team_id"), range);
    while (started.next())
        if (const auto team = teams.find(started.value(0).toLongLong()); team != teams.end())
            team->second.startedRunners = started.value(1).toInt();
    QSqlQuery punches = connection.exec(QStringLiteral("SELECT team_id, id, runner_id, KP, ctime, status FROM res_cp "
                                                       "WHERE team_id BETWEEN ? AND ? ORDER BY team_id, KP, %1, id")
                                            .arg(db::NullsFirst(connection.engine(), QStringLiteral("ctime"))),
                                        range);
    auto team = teams.end();
    while (punches.next()) {
        const qint64 teamId = punches.value(0).toLongLong();
        if (team == teams.end() || team->first != teamId)
            team = teams.find(teamId);
        if (team != teams.end())
            team->second.punches.push_back(punchOf(punches, 1));
    }
    return teams;
}

// The teams are written in batches, one transaction each. One commit per team
// (each a disk flush, when commits were flushed) made the run several times
// slower than reading its punches; one transaction for the whole run would
// keep the readouts waiting for seconds. While no other program writes, a
// batch is worked out before its transaction from rows read at a known data
// version and only written inside it, so the work on the next batch leaves
// the writer lock free. Once another program commits (readouts coming in), a
// batch read before its transaction would be stale by then: it is read and
// worked out inside, so that every team is decided from its rows as they are.
// The batch size follows the measured cost per team, so that the lock is held
// for a few milliseconds at a time.
namespace {
constexpr qint64 batchTargetNs = 8'000'000;
// While others write, a batch is read and worked out inside its transaction:
// smaller, so that a readout waits for it no more than a few milliseconds.
constexpr qint64 sharedBatchTargetNs = 2'000'000;
constexpr qint64 giveWayFactor = 4;
constexpr size_t firstBatchTeams = 32;
constexpr size_t firstSharedBatchTeams = 8;
constexpr size_t mostBatchTeams = 2000;

// The run's commits go to the log without a disk flush of their own: a flush
// held the writer lock for as long as the disk was busy (tens of milliseconds
// beside readouts and reports), and every readout waited for it. It is safe:
// the log keeps its commits in order and the next readout's commit flushes it
// with all before it, and the run ends with a flush of its own (a passive
// checkpoint flushes the log before it copies it back). A power cut during
// the run can take back only its last batches, never a readout acknowledged
// after them, and those rows are worked out again by calculating again. A
// killed process loses nothing: what it wrote is with the system.
class UnflushedCommits
{
public:
    explicit UnflushedCommits(db::Connection &connection) : m_connection(connection)
    {
        db::FlushEachCommit(m_connection, false);
    }
    ~UnflushedCommits()
    {
        try {
            db::FlushEachCommit(m_connection, true);
        } catch (const KorventError &) {
            // the connection is failing; its next change says so
        }
    }
    UnflushedCommits(const UnflushedCommits &) = delete;
    UnflushedCommits &operator=(const UnflushedCommits &) = delete;

private:
    db::Connection &m_connection;
};
} // namespace

CalculationSummary TeamCalculation::CalculateAllTeams(bool all, WorkProgress &progress)
{
    const QString what = Texts::tr("Calculating the teams");
    progress.step(Texts::tr("Reading the teams and their punches"), 0, 0);
    db::Connection &connection = m_connection;
    const UnflushedCommits unflushed(connection);

    // Taken before the reads: any commit of another connection after it shows as a new version.
    qint64 readVersion = dataVersion();
    LoadCourseDefinition();
    std::map<qint64, TeamInputs> inputs = readTeams(std::numeric_limits<qint64>::min(), std::numeric_limits<qint64>::max());
    bool whole = true; // inputs holds every team, as read at readVersion

    // Teams are found by number: of teams sharing one, only the first is calculated.
    std::vector<qint64> queue;
    QHash<qint64, qint64> numberOf; // by team id
    QMap<qint64, QStringList> namesOfNumber;
    for (const auto &[id, team] : inputs) {
        namesOfNumber[team.team.number].append(team.team.name);
        if ((all || !team.team.calculated) && namesOfNumber[team.team.number].size() == 1) {
            queue.push_back(id);
            numberOf.insert(id, team.team.number);
        }
    }

    CalculationSummary summary;
    progress.step(what, 0, static_cast<qint64>(queue.size()));
    // Each way of working has its own size: a batch read inside its
    // transaction costs several times one worked out from rows in hand.
    size_t quietBatchTeams = firstBatchTeams;
    size_t sharedBatchTeams = firstSharedBatchTeams;
    size_t next = 0;
    // After a batch failed, its teams go again one per transaction, so that only the failing team is left out.
    size_t aloneUntil = 0;
    struct Planned
    {
        TeamRow team;
        Outcome outcome;
    };
    while (next < queue.size()) {
        if (progress.cancelled()) {
            summary.cancelled = true;
            break;
        }
        // Another program committed since this run last looked: readouts are coming in.
        const bool othersWrite = dataVersion() != readVersion;
        size_t &batchTeams = othersWrite ? sharedBatchTeams : quietBatchTeams;
        const size_t first = next;
        const size_t end = next < aloneUntil ? next + 1 : std::min(queue.size(), next + batchTeams);
        const qint64 firstId = queue[first];
        const qint64 lastId = queue[end - 1];
        QElapsedTimer worked;
        worked.start();
        qint64 waitedNs = 0; // for the writer lock: not the batch's own work
        qint64 heldNs = 0;
        std::vector<Planned> planned;
        const auto plan = [&] {
            planned.clear();
            for (size_t i = first; i < end; ++i) {
                const auto team = inputs.find(queue[i]);
                if (team == inputs.end() || (!all && team->second.team.calculated))
                    continue;
                tResArray list;
                planned.push_back({team->second.team, evaluate(team->second, true, list)});
            }
        };
        // The controls and extra-point rules too: points changed by another
        // program count for every team written after the change.
        const auto readBatch = [&] {
            readVersion = dataVersion();
            LoadCourseDefinition();
            inputs = readTeams(firstId, lastId);
            whole = false;
        };
        try {
            if (!othersWrite) {
                if (!whole)
                    readBatch();
                plan();
            }
            QElapsedTimer waiting;
            waiting.start();
            db::Transaction transaction(connection);
            waitedNs = waiting.nsecsElapsed();
            if (!othersWrite && dataVersion() != readVersion)
                continue; // sized for rows in hand: left unwritten, and taken again in the smaller batches of shared work
            if (othersWrite) {
                readBatch();
                plan();
            }
            for (const Planned &team : planned)
                write(team.outcome);
            transaction.commit();
            heldNs = connection.lastWriteNs();
            summary.longestWriteMs = std::max(summary.longestWriteMs, heldNs / 1e6);
        } catch (const KorventError &error) {
            if (end - first > 1) {
                aloneUntil = end;
                continue;
            }
            m_messages.error(Texts::tr("Error: Team nr") + QString::number(numberOf.value(firstId)) + u' ' + error.message());
            ++summary.errors;
            next = end;
            continue;
        }
        const qint64 workedNs = worked.nsecsElapsed() - waitedNs;
        // While readouts come in, the writer lock is left free several times
        // as long as it was held: they come first, and a readout of another
        // process, polling for the lock every half millisecond, would not get
        // it between two batches taken back at once.
        if (othersWrite)
            std::this_thread::sleep_for(std::chrono::nanoseconds(heldNs * giveWayFactor));
        next = end;
        for (const Planned &team : planned) {
            ++summary.calculated;
            report(team.team, team.outcome);
            if (team.outcome.ok)
                ++summary.withResult;
            else if (team.outcome.tooManyPunches)
                ++summary.errors;
            if (!team.outcome.ok && team.outcome.status == TeamNoResult)
                ++summary.noResult;
        }
        if (next > aloneUntil) {
            const qint64 perTeamNs = std::max<qint64>(workedNs / static_cast<qint64>(end - first), 1);
            const qint64 targetNs = othersWrite ? sharedBatchTargetNs : batchTargetNs;
            batchTeams = std::clamp<size_t>(static_cast<size_t>(targetNs / perTeamNs), 1, mostBatchTeams);
        }
        progress.step(what, static_cast<qint64>(next), static_cast<qint64>(queue.size()));
    }
    for (auto it = namesOfNumber.cbegin(); it != namesOfNumber.cend(); ++it)
        if (it->size() > 1)
            m_messages.warning(Texts::tr("Teams share the number %1: %2; only the first is calculated").arg(it.key()).arg(it->join(QStringLiteral(", "))));
    WarnResultTeamsWithoutStartedRunner(connection, m_messages);
    return summary;
}
