#include "scoring/PunchCorrections.h"

#include "scoring/TeamCalculation.h"

#include "base/KorventError.h"
#include "db/Connection.h"
#include "db/PortableSql.h"
#include "db/StoredValue.h"
#include "store/EventSetup.h"
#include "store/StatusTexts.h"
#include "store/TimeHelpers.h"

#include <QCoreApplication>

namespace {

constexpr double minutesPerDay = 24 * 60;

// The team inside the correction's transaction: it may have gone since it was found.
TeamRow requireTeam(db::Connection &connection, qint64 teamId)
{
    std::optional<TeamRow> team = ReadTeam(connection, teamId);
    if (!team)
        throw KorventError(QCoreApplication::translate("PunchCorrections", "The team is no longer in the event database; find it again"));
    return *team;
}

bool isChoice(const std::vector<StatusChoice> &choices, int choice)
{
    return choice >= 0 && choice < static_cast<int>(choices.size());
}

// How each correction's log line begins: what finds a team's corrections in the log again.
QString addedLineStart(const QString &missing, qint64 number)
{
    return missing + QStringLiteral(" control added to team:") + QString::number(number) + QStringLiteral(" >");
}

QString removedLineStart(const QString &control, qint64 number)
{
    return control + QStringLiteral(" removed from team:") + QString::number(number) + QStringLiteral(" #:");
}

QString changedLineStart(qint64 number, const QString &control)
{
    return QStringLiteral("Team:") + QString::number(number) + QStringLiteral(" Change control:") + control + QStringLiteral(" status::");
}

QString teamStatusLineStart(qint64 number)
{
    return QStringLiteral("Team:") + QString::number(number) + QStringLiteral(" Status:");
}

} // namespace

std::optional<TeamRow> FindTeamByNumber(db::Connection &connection, qint64 number)
{
    const std::optional<qint64> id = FirstTeamNumbered(connection, number);
    return id ? ReadTeam(connection, *id) : std::nullopt;
}

QString SharedNumberWarning(db::Connection &connection, qint64 number)
{
    const QStringList names = connection.texts(QStringLiteral("SELECT name FROM team WHERE number=? ORDER BY id"), {number});
    if (names.size() < 2)
        return QString();
    return QCoreApplication::translate("PunchCorrections", "Teams share the number %1: %2; the correction goes to the first")
        .arg(number)
        .arg(names.join(QStringLiteral(", ")));
}

std::optional<TeamRow> ReadTeam(db::Connection &connection, qint64 teamId)
{
    const std::optional<QSqlRecord> row =
        connection.firstRow(QStringLiteral("SELECT id, number, name, class, status, rtime, result, points, penalty, finis, calctime FROM team WHERE id=?"), {teamId});
    if (!row)
        return std::nullopt;
    return TeamRowReader(*row).read(*row);
}

const std::vector<StatusChoice> &NewPunchStatusChoices()
{
    static const std::vector<StatusChoice> choices = {
        {QStringLiteral("OK-Read"), PunchReadOK},
        {QStringLiteral("Man-NoTime"), PunchMan},
        {QStringLiteral("DQ"), PunchDQ},
        {QStringLiteral("NA"), PunchUnknown},
    };
    return choices;
}

const std::vector<StatusChoice> &NewTeamStatusChoices()
{
    static const std::vector<StatusChoice> choices = {
        {QStringLiteral("OK"), TeamOK},
        {QStringLiteral("LATE"), TeamLate},
        {QStringLiteral("OutOfBounds"), TeamOB},
        {QStringLiteral("DNF - W/D"), TeamWithdrawn},
        {QStringLiteral("DQS"), TeamDSQ},
        {QStringLiteral("DNS"), TeamDNS},
    };
    return choices;
}

QStringList ChoiceTexts(const std::vector<StatusChoice> &choices)
{
    QStringList texts;
    for (const StatusChoice &choice : choices)
        texts.append(choice.text);
    return texts;
}

int ChoiceIndex(const std::vector<StatusChoice> &choices, const QString &text)
{
    for (size_t i = 0; i < choices.size(); ++i)
        if (choices[i].text == text)
            return static_cast<int>(i);
    return -1;
}

QString NoResultRecordLine()
{
    return QStringLiteral("No Result Record");
}

QString AddMissingControl(db::Connection &connection, qint64 teamId, const QString &from, const QString &missing,
                          SerialDateTime eventStart)
{
    if (from.isEmpty() || missing.isEmpty())
        return QString();
    const TeamRow team = requireTeam(connection, teamId);
    SerialDateTime punchTime = 0;
    if (from == QLatin1String("S")) {
        punchTime = eventStart + 10 / minutesPerDay;
    } else {
        // A punch without a time has no place in time to count from.
        const QVariant earliest = connection.scalar(QStringLiteral("SELECT ctime FROM res_cp WHERE team_id=? AND KP=? AND %1 "
                                                                   "ORDER BY ctime, id LIMIT 1").arg(db::StoredTimeIsSetSql(QStringLiteral("ctime"))),
                                                    {team.id, from});
        if (!earliest.isValid())
            return NoResultRecordLine();
        punchTime = DateTime::fromStored(earliest) + 5 / minutesPerDay;
    }

    std::vector<qint64> runners;
    QSqlQuery runnerRows = connection.exec(QStringLiteral("SELECT id FROM runner WHERE team_id=? ORDER BY id"), {team.id});
    while (runnerRows.next())
        runners.push_back(runnerRows.value(0).toLongLong());
    QSqlQuery insert = connection.prepare(QStringLiteral("INSERT INTO res_cp (runner_id, team_id, KP, status, ctime, count) VALUES (?, ?, ?, ?, ?, 0)"));
    for (qint64 runnerId : runners)
        connection.exec(insert, {runnerId, team.id, missing, PunchMan, DateTime::toStored(punchTime)});
    return addedLineStart(missing, team.number) + DateTimeText(true, punchTime) + QStringLiteral(" #:") + QString::number(runners.size());
}

QString RemoveControl(db::Connection &connection, qint64 teamId, const QString &control)
{
    if (control.isEmpty())
        return QString();
    const TeamRow team = requireTeam(connection, teamId);
    const int removed = connection.exec(QStringLiteral("DELETE FROM res_cp WHERE team_id=? AND KP=?"), {team.id, control}).numRowsAffected();
    return removedLineStart(control, team.number) + QString::number(removed);
}

QString ChangeControlStatus(db::Connection &connection, qint64 teamId, const QString &control, int choice)
{
    const std::vector<StatusChoice> &choices = NewPunchStatusChoices();
    if (control.isEmpty() || !isChoice(choices, choice))
        return QString();
    const StatusChoice &newStatus = choices[static_cast<size_t>(choice)];
    const TeamRow team = requireTeam(connection, teamId);
    QString line = changedLineStart(team.number, control) + newStatus.text + QStringLiteral(" <<=");
    // The old statuses in the punch table's own order: by runner, then time.
    QSqlQuery punches = connection.exec(QStringLiteral("SELECT status FROM res_cp WHERE team_id=? AND KP=? ORDER BY runner_id, %1, id")
                                            .arg(db::NullsFirst(connection.engine(), QStringLiteral("ctime"))),
                                        {team.id, control});
    while (punches.next())
        line += (punches.value(0).isNull() ? QString() : PunchStatusText(punches.value(0).toLongLong())) + u',';
    punches.finish();
    connection.exec(QStringLiteral("UPDATE res_cp SET status=? WHERE team_id=? AND KP=?"), {newStatus.code, team.id, control});
    return line;
}

QString SetTeamStatus(db::Connection &connection, qint64 teamId, int choice)
{
    const std::vector<StatusChoice> &choices = NewTeamStatusChoices();
    if (!isChoice(choices, choice))
        return QString();
    const StatusChoice &newStatus = choices[static_cast<size_t>(choice)];
    const TeamRow team = requireTeam(connection, teamId);
    const qint64 sum = team.points + team.penalty;
    // As the calculation has it: an OK team never scores below 0, any other status is its negative code.
    const qint64 result = newStatus.code == TeamOK ? qMax<qint64>(sum, 0) : -newStatus.code;
    connection.exec(QStringLiteral("UPDATE team SET status=?, result=?, calctime=? WHERE id=?"),
                    {newStatus.code, result, DateTime::toStored(DateTime::now()), team.id});
    return teamStatusLineStart(team.number) + TeamStatusText(team.status) + QStringLiteral(" >") + newStatus.text;
}

QString NewestControlCorrection(const QStringList &log, qint64 teamNumber, const QString &control)
{
    const QString starts[] = {addedLineStart(control, teamNumber), removedLineStart(control, teamNumber), changedLineStart(teamNumber, control)};
    for (const QString &line : log)
        for (const QString &start : starts)
            if (line.startsWith(start))
                return line;
    return QString();
}

QString CorrectedControl(const QString &line, qint64 teamNumber)
{
    const QString team = QString::number(teamNumber);
    const QString changed = QStringLiteral("Team:") + team + QStringLiteral(" Change control:");
    if (line.startsWith(changed)) {
        const qsizetype end = line.indexOf(QStringLiteral(" status::"), changed.size());
        return end < 0 ? QString() : line.sliced(changed.size(), end - changed.size());
    }
    const QString markers[] = {QStringLiteral(" removed from team:") + team + QStringLiteral(" #:"),
                               QStringLiteral(" control added to team:") + team + QStringLiteral(" >")};
    for (const QString &marker : markers) {
        const qsizetype at = line.indexOf(marker);
        if (at >= 0)
            return line.first(at);
    }
    return QString();
}

QString NewestTeamStatusCorrection(const QStringList &log, qint64 teamNumber)
{
    const QString start = teamStatusLineStart(teamNumber);
    for (const QString &line : log)
        if (line.startsWith(start))
            return line;
    return QString();
}

bool RecalculateTeam(TdmData &data, std::shared_ptr<const EventSetup> setup, MessageSink &messages, qint64 number)
{
    TeamCalculation calculation(data, std::move(setup), messages);
    // Controls and classes may have changed since the last run: calculate on what the tables hold now.
    calculation.LoadCourseDefinition();
    tResArray list;
    return calculation.CalculateTeam(number, true, list);
}
