#include "scoring/TeamCalculation.h"

#include "scoring/OvertimePenalty.h"
#include "scoring/UnlistedMembers.h"

#include "base/KorventError.h"
#include "base/MessageSink.h"
#include "store/StatusTexts.h"
#include "store/TimeHelpers.h"
#include "store/uData.h"

#include <QCoreApplication>
#include <QHash>
#include <QMap>
#include <QSqlQuery>

struct TeamCalculation::TeamRow
{
    qint64 id = 0;
    qint64 number = 0;
    QString name;
    QString className;
    int status = 0;
    bool calculatedBefore = false;
};

struct TeamCalculation::TeamInputs
{
    TeamRow team;
    int startedRunners = 0;
    std::vector<StoredPunch> punches;
};

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("TeamCalculation", text);
}

const QString teamColumns = QStringLiteral("id, number, name, class, status, calctime");

template <typename Row, typename Source>
Row teamRowOf(const Source &source)
{
    return Row{source.value(0).toLongLong(), source.value(1).toLongLong(), source.value(2).toString(),
               source.value(3).toString(), source.value(4).toInt(), !source.value(5).toString().isEmpty()};
}

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
    return m_setup->settings.rgControlCard == EventSettings::CardPerTeam ? 1 : startedRunners;
}

std::optional<TeamCalculation::TeamInputs> TeamCalculation::readTeam(const QString &condition, qint64 key)
{
    db::Connection &connection = m_connection;
    const std::optional<QSqlRecord> found =
        connection.firstRow(QStringLiteral("SELECT %1 FROM team WHERE %2 ORDER BY id LIMIT 1").arg(teamColumns, condition), {key});
    if (!found)
        return std::nullopt;
    TeamInputs inputs{teamRowOf<TeamRow>(*found), 0, {}};
    inputs.startedRunners = connection.scalar(QStringLiteral("SELECT COUNT(*) FROM runner WHERE started=1 AND team_id=?"), {inputs.team.id}).toInt();
    QSqlQuery rows = connection.exec(QStringLiteral("SELECT id, runner_id, KP, ctime, status FROM res_cp WHERE team_id=? "
                                                    "ORDER BY KP, ctime, id"), {inputs.team.id});
    while (rows.next())
        inputs.punches.push_back(punchOf(rows, 0));
    return inputs;
}

qint64 TeamCalculation::dataVersion()
{
    return m_connection.scalar(QStringLiteral("PRAGMA data_version")).toLongLong();
}

bool TeamCalculation::CalculateTeam(qint64 number, bool store, tResArray &list)
{
    const QString byNumber = QStringLiteral("number=?");
    try {
        std::optional<TeamInputs> team;
        Outcome outcome;
        if (!store) {
            team = readTeam(byNumber, number);
            if (!team)
                return false;
            outcome = calculate(*team, false, list);
        } else {
            // The team is read inside the transaction that writes it: a status
            // set by another program meanwhile is seen, not written over.
            db::Transaction transaction(m_connection);
            team = readTeam(byNumber, number);
            if (!team)
                return false;
            outcome = calculate(*team, true, list);
            transaction.commit();
        }
        report(team->team, outcome);
        return outcome.ok;
    } catch (const KorventError &error) {
        m_messages.error(tr("Error: Team nr") + QString::number(number) + u' ' + error.message());
        return false;
    }
}

void TeamCalculation::report(const TeamRow &team, const Outcome &outcome)
{
    // Only after the transaction: a message box waiting for the operator must not hold the writer lock.
    if (outcome.tooManyPunches)
        m_messages.error(tr("To many controls! :") + team.name);
}

TeamCalculation::Outcome TeamCalculation::calculate(const TeamInputs &inputs, bool store, tResArray &list)
{
    const TeamRow &team = inputs.team;
    Outcome outcome;
    outcome.status = team.status;
    TeamPunchEvaluation evaluation =
        EvaluateTeamPunches(inputs.punches, requiredRunners(inputs.startedRunners), m_setup->settings.sePunchWindow);
    if (evaluation.tooManyPunches) {
        outcome.tooManyPunches = true;
        return outcome;
    }
    list = std::move(evaluation.list);
    if (!store) {
        outcome.ok = list.size() >= 2;
        return outcome;
    }
    storeResult(team, list, evaluation.finishTime, outcome);
    return outcome;
}

void TeamCalculation::storeResult(const TeamRow &team, const tResArray &list, TDateTime finishTime, Outcome &outcome)
{
    const EventSettings &settings = m_setup->settings;
    qint64 points = 0;
    qint64 inCenter = 0;
    QString previousCode = ExtraPointRules::startCode();
    for (size_t i = 0; i < list.size(); ++i) {
        const tControlRes &entry = list[i];
        if (entry.status <= PunchMan)
            points += m_course.controlPoints(entry.code);
        // Extra points follow the order of visits, whatever their statuses.
        points += m_course.extraPoints().legPoints(previousCode, entry.code);
        previousCode = entry.code;
        if (i + 1 < list.size() && entry.code == QLatin1String("I")
            && (list[i + 1].code == QLatin1String("O") || list[i + 1].code == QLatin1String("F")))
            inCenter += SecondsBetween(entry.time, list[i + 1].time);
    }

    db::Connection &connection = m_connection;
    if (finishTime == 0 || points == 0) {
        if (team.status >= TeamNoResult && list.size() >= 2) {
            connection.exec(QStringLiteral("UPDATE team SET status=? WHERE id=?"), {TeamNoResult, team.id});
            outcome.status = TeamNoResult;
        }
        return;
    }
    const std::optional<TClassInfo> teamClass = FindClass(m_course.classes(), team.className);
    if (!teamClass)
        return;

    const TDateTime eventDay = DateTime::fromDateAndTime(settings.dtpDate.date(), QTime(0, 0));
    const qint64 runningTime = SecondsBetween(eventDay, finishTime) * 100 - teamClass->start;
    const Overtime overtime = OvertimePenalty(runningTime, *teamClass, settings.sePenaltySeconds, settings.sePenaltyPoints);
    const int computedStatus = overtime.late ? TeamLate : TeamOK;
    const qint64 penalty = overtime.penalty;
    // Statuses set by hand (OB, W/D, DSQ, DNS, ...) survive the calculation.
    const int effectiveStatus = statusFollowsCalculation(team.status) ? computedStatus : team.status;
    const qint64 result = effectiveStatus == TeamOK ? qMax<qint64>(points + penalty, 0) : -effectiveStatus;

    connection.exec(QStringLiteral("UPDATE team SET status=?, rtime=?, start=?, finis=?, points=?, penalty=?, result=?, "
                                   "calctime=?, inCenter=? WHERE id=?"),
                    {effectiveStatus, runningTime / 100, DateTime::toStored(eventDay + teamClass->start / 8'640'000.0),
                     DateTime::toStored(finishTime), points, penalty, result, DateTime::toStored(DateTime::now()), inCenter,
                     team.id});
    outcome.status = effectiveStatus;
    outcome.ok = true;
}

CalculationSummary TeamCalculation::CalculateAllTeams(bool all)
{
    LoadCourseDefinition();
    db::Connection &connection = m_connection;

    // Taken before the reads: any commit of another connection after it shows as a new version.
    const qint64 readVersion = dataVersion();
    std::vector<TeamRow> teams;
    QSqlQuery teamRows = connection.exec(QStringLiteral("SELECT %1 FROM team ORDER BY id").arg(teamColumns));
    while (teamRows.next())
        teams.push_back(teamRowOf<TeamRow>(teamRows));

    // Everything the teams need is read in two passes over the tables.
    QHash<qint64, int> startedRunners;
    QSqlQuery started = connection.exec(QStringLiteral("SELECT team_id, COUNT(*) FROM runner WHERE started=1 GROUP BY team_id"));
    while (started.next())
        startedRunners.insert(started.value(0).toLongLong(), started.value(1).toInt());
    QHash<qint64, std::vector<StoredPunch>> punchesOfTeam;
    QSqlQuery punches = connection.exec(QStringLiteral("SELECT team_id, id, runner_id, KP, ctime, status FROM res_cp "
                                                       "ORDER BY team_id, KP, ctime, id"));
    while (punches.next())
        punchesOfTeam[punches.value(0).toLongLong()].push_back(punchOf(punches, 1));

    CalculationSummary summary;
    QMap<qint64, QStringList> namesOfNumber;
    for (const TeamRow &team : teams) {
        namesOfNumber[team.number].append(team.name);
        if (!all && team.calculatedBefore)
            continue;
        // Teams are found by number: of teams sharing one, only the first is calculated.
        if (namesOfNumber[team.number].size() > 1)
            continue;
        try {
            tResArray list;
            std::optional<TeamInputs> inputs;
            Outcome outcome;
            {
                db::Transaction transaction(connection);
                // Each team is decided from its rows as they are inside the write: when
                // another program committed since the reads above, the team is read again.
                if (dataVersion() == readVersion)
                    inputs = TeamInputs{team, startedRunners.value(team.id), punchesOfTeam.value(team.id)};
                else
                    inputs = readTeam(QStringLiteral("id=?"), team.id);
                if (!inputs || (!all && inputs->team.calculatedBefore))
                    continue;
                ++summary.calculated;
                outcome = calculate(*inputs, true, list);
                transaction.commit();
            }
            report(inputs->team, outcome);
            if (outcome.ok)
                ++summary.withResult;
            else if (outcome.tooManyPunches)
                ++summary.errors;
            if (!outcome.ok && outcome.status == TeamNoResult)
                ++summary.noResult;
        } catch (const KorventError &error) {
            m_messages.error(tr("Error: Team nr") + QString::number(team.number) + u' ' + error.message());
            ++summary.errors;
        }
    }
    for (auto it = namesOfNumber.cbegin(); it != namesOfNumber.cend(); ++it)
        if (it->size() > 1)
            m_messages.warning(tr("Teams share the number %1: %2; only the first is calculated").arg(it.key()).arg(it->join(QStringLiteral(", "))));
    WarnResultTeamsWithoutStartedRunner(connection, m_messages);
    return summary;
}
