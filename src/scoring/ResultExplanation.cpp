#include "scoring/ResultExplanation.h"

#include "scoring/CalculationRecorder.h"
#include "scoring/CorrectionLog.h"
#include "scoring/PunchCorrections.h"
#include "scoring/TeamCalculation.h"

#include "base/KorventError.h"
#include "base/MessageSink.h"
#include "db/Connection.h"
#include "store/EventSetup.h"
#include "store/StatusTexts.h"
#include "store/TextHelpers.h"
#include "store/TimeHelpers.h"
#include "store/uData.h"

#include <QCoreApplication>
#include <QHash>
#include <QSqlQuery>

#include <algorithm>
#include <map>
#include <optional>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(ResultExplanation)
};

struct Runner
{
    qint64 id = 0;
    QString name;
    bool started = false;
};

struct Decision
{
    PunchRule rule;
    StoredPunch punch;
    std::optional<tControlRes> entry;
    int runners = 0;
    int required = 0;
    int window = -1;
    std::optional<StoredPunch> other;
};

struct Counted
{
    tControlRes entry;
    bool known = false; // the code is a control of the course
    qint64 points = 0;  // the control's points when it scores
    bool scores = false;
    QString previousCode;
    qint64 extraPoints = 0;
    qint64 inCenter = 0;
};

// What the calculation decided about one control code.
struct CodeStory
{
    std::vector<Decision> decisions;
    std::vector<StoredPunch> repeats;
    std::vector<StoredPunch> unknown;
    std::vector<Counted> counted;
    bool ignored = false;
    bool tooMany = false;
};

QString allRunners(int count);

class Explainer : public CalculationRecorder
{
public:
    Explainer(const TeamCalculation &calculation, std::vector<Runner> runners, const QStringList &log)
        : m_course(calculation.course())
        , m_eventDate(calculation.setup().settings.eventDate->date())
        , m_runners(std::move(runners))
        , m_log(log)
    {
    }

    void teamRead(const TeamRow &team, const std::vector<StoredPunch> &punches, int, int requiredRunners,
                  bool cardPerTeam, int punchWindow) override
    {
        m_team = team;
        m_punches = punches;
        m_required = requiredRunners;
        m_cardPerTeam = cardPerTeam;
        m_window = punchWindow;
    }
    void repeatSkipped(const StoredPunch &punch) override { story(punch.code).repeats.push_back(punch); }
    void unknownSkipped(const StoredPunch &punch) override { story(punch.code).unknown.push_back(punch); }
    void tooManyPunches(const QString &code, int limit) override
    {
        story(code).tooMany = true;
        m_limit = limit;
    }
    void punchDecided(const PunchDecision &d) override
    {
        story(d.punch.code).decisions.push_back(
            {d.rule, d.punch, d.entry ? std::optional(*d.entry) : std::nullopt, d.runners, d.required, d.window,
             d.other ? std::optional(*d.other) : std::nullopt});
    }
    void groupIgnored(const QString &code) override { story(code).ignored = true; }
    void listMade(const tResArray &list) override { m_list = list; }
    void entryCounted(size_t, const tControlRes &entry, const TControlPoint *control, bool scores, const QString &previousCode,
                      qint64 extraPoints, qint64 inCenterSeconds) override
    {
        story(entry.code).counted.push_back(
            {entry, control != nullptr, control ? control->points : 0, scores, previousCode, extraPoints, inCenterSeconds});
    }
    void noResult(NoResultReason reason, qint64 points, int statusBefore, int statusAfter, size_t listSize) override
    {
        m_noResult = reason;
        m_points = points;
        m_statusBefore = statusBefore;
        m_statusAfter = statusAfter;
        m_listSize = listSize;
    }
    void resultMade(const ResultDecision &decision) override { m_result = decision; }

    TeamExplanation explanation() const;

private:
    CodeStory &story(const QString &code)
    {
        auto found = m_stories.find(code);
        if (found == m_stories.end())
            found = m_stories.emplace(code, CodeStory{}).first;
        return found->second;
    }
    QString timeText(SerialDateTime time) const;
    QString runnerName(qint64 runnerId) const;
    QString runnerList(const std::vector<qint64> &ids) const;
    QString logNote(const QString &line) const;
    QStringList codesInListOrder() const;
    QString headline() const;
    QString rulesLine() const;
    QString codeLine(const QString &code, const CodeStory &story) const;
    QString whoPunched(const QString &code) const;
    QString decisionText(const Decision &decision) const;
    QString sameVisitText(const CodeStory &story) const;
    QString pointsText(const QString &code, const CodeStory &story) const;
    QString pairsText(const QString &code, const CodeStory &story) const;
    void appendTotals(QStringList &lines, TeamExplanation &explanation) const;
    QString statusRule(int status, int computed, int before) const;

    const CourseDefinition &m_course;
    QDate m_eventDate;
    std::vector<Runner> m_runners;
    const QStringList &m_log;

    TeamRow m_team;
    std::vector<StoredPunch> m_punches;
    int m_required = 0;
    bool m_cardPerTeam = false;
    int m_window = -1;
    int m_limit = 0;
    std::map<QString, CodeStory> m_stories;
    tResArray m_list;
    std::optional<NoResultReason> m_noResult;
    qint64 m_points = 0;
    int m_statusBefore = 0;
    int m_statusAfter = 0;
    size_t m_listSize = 0;
    std::optional<ResultDecision> m_result;
};

QString Explainer::timeText(SerialDateTime time) const
{
    if (time == 0)
        return Texts::tr("no time");
    // Times of the event day as the splits show them; other days with their date.
    return DateTimeText(DateTime::datePart(time) != m_eventDate, time);
}

QString Explainer::runnerName(qint64 runnerId) const
{
    for (const Runner &runner : m_runners)
        if (runner.id == runnerId)
            return runner.name;
    return Texts::tr("runner %1 (not of this team)").arg(runnerId);
}

QString Explainer::runnerList(const std::vector<qint64> &ids) const
{
    QStringList names;
    for (qint64 id : ids)
        names.append(runnerName(id));
    return names.join(QStringLiteral(", "));
}

QString Explainer::logNote(const QString &line) const
{
    return line.isEmpty() ? Texts::tr(" No line of the edit log names it.") : Texts::tr(" Edit log: \"%1\".").arg(line);
}

// Codes in the order of the punch list; a code without an entry where its first punch falls in time.
QStringList Explainer::codesInListOrder() const
{
    QStringList codes;
    std::vector<SerialDateTime> times;
    for (const tControlRes &entry : m_list)
        if (!codes.contains(entry.code)) {
            codes.append(entry.code);
            times.push_back(entry.time);
        }
    for (const auto &[code, story] : m_stories) {
        if (codes.contains(code))
            continue;
        SerialDateTime first = 0;
        for (const StoredPunch &punch : m_punches)
            if (punch.code == code && (first == 0 || (punch.time != 0 && punch.time < first)))
                first = punch.time;
        const auto at = std::upper_bound(times.begin(), times.end(), first);
        const qsizetype position = at - times.begin();
        codes.insert(position, code);
        times.insert(at, first);
    }
    return codes;
}

QString Explainer::headline() const
{
    return Texts::tr("Team %1 \"%2\", class %3.").arg(m_team.number).arg(m_team.name, m_team.className);
}

QString Explainer::rulesLine() const
{
    if (m_cardPerTeam)
        return Texts::tr("Control card per team: one punch makes a control count.");
    std::vector<qint64> started;
    for (const Runner &runner : m_runners)
        if (runner.started)
            started.push_back(runner.id);
    if (m_required == 0)
        return Texts::tr("Control card per runner, but no runner of the team is marked as started: no control can count.");
    const QString needed = Texts::tr("Control card per runner: a control counts when %1 punch it (started: %2)")
                               .arg(allRunners(m_required), runnerList(started));
    return m_window == -1 ? needed + Texts::tr("; the punch window is not checked.")
                          : needed + Texts::tr(" within the punch window of %1 s.").arg(m_window);
}

QString Explainer::whoPunched(const QString &code) const
{
    std::vector<qint64> ids;
    if (!m_cardPerTeam)
        for (const Runner &runner : m_runners)
            if (runner.started)
                ids.push_back(runner.id);
    for (const StoredPunch &punch : m_punches)
        if (punch.code == code && std::find(ids.begin(), ids.end(), punch.runnerId) == ids.end())
            ids.push_back(punch.runnerId);
    QStringList parts;
    for (qint64 id : ids) {
        std::vector<SerialDateTime> times;
        for (const StoredPunch &punch : m_punches)
            if (punch.code == code && punch.runnerId == id)
                times.push_back(punch.time);
        std::sort(times.begin(), times.end());
        QStringList texts;
        for (SerialDateTime time : times)
            texts.append(timeText(time));
        bool started = false;
        for (const Runner &runner : m_runners)
            started = started || (runner.id == id && runner.started);
        const QString name = runnerName(id) + (started || m_cardPerTeam ? QString() : Texts::tr(" (not started)"));
        parts.append(texts.isEmpty() ? Texts::tr("%1 missing").arg(name) : name + u' ' + texts.join(QStringLiteral(", ")));
    }
    return parts.join(QStringLiteral("; "));
}

QString Explainer::decisionText(const Decision &d) const
{
    const QString at = d.entry ? timeText(d.entry->time) : timeText(d.punch.time);
    const qint64 seconds = d.entry ? d.entry->seconds : 0;
    const QString from = d.other ? timeText(d.other->time) : QString();
    switch (d.rule) {
    case PunchRule::NotAllRunners:
        return Texts::tr("MP (missing punch): only %1 of the %2 runners needed punched it; no points.").arg(d.runners).arg(d.required);
    case PunchRule::SetByHand:
        return (d.entry->status == PunchDQ
                    ? Texts::tr("DQ: its first punch is stored as disqualified, so it gives no points.")
                    : Texts::tr("Man: its first punch is stored as entered by hand, so it counts without a check of the runners' times."))
            + logNote(NewestControlCorrection(m_log, m_team.number, d.punch.code));
    case PunchRule::LatestPunch:
        return d.window == -1 ? Texts::tr("OK at %1: the latest punch counts; the punch window is not checked.").arg(at)
                              : Texts::tr("OK at %1: one runner punched it, so the latest punch counts without a punch window.").arg(at);
    case PunchRule::EarlierVisit:
        return Texts::tr("Double at %1: an earlier visit, more than %2 s before the visit at %3; no points.").arg(at).arg(VisitGapSeconds).arg(from);
    case PunchRule::SameVisit:
        return QString(); // told together, below
    case PunchRule::WindowKept:
        if (d.required == 1)
            return Texts::tr("OK at %1: the first punch counts; one punch makes the control.").arg(at);
        return Texts::tr("OK at %1: %2 needed punched within %3 s (from %4), inside the punch window of %5 s.")
            .arg(at, allRunners(d.required))
            .arg(seconds)
            .arg(from)
            .arg(d.window);
    case PunchRule::WindowMissed:
        return Texts::tr("OverInt. at %1: %2 needed punched, but %3 s apart (from %4), more than the punch window of %5 s; no points.")
            .arg(at, allRunners(d.required))
            .arg(seconds)
            .arg(from)
            .arg(d.window);
    case PunchRule::WindowAgain:
        if (d.required == 1)
            return Texts::tr("Double at %1: punched again after the punch that counted; no points.").arg(at);
        return Texts::tr("Double at %1: the runners punched it again (%2 s apart) after the visit that counted; no points.").arg(at).arg(seconds);
    case PunchRule::NoWindow:
        return Texts::tr("OverInt. at %1: the punches never brought %2 needed together within the punch window of %3 s "
                         "(first to last punch %4 s); no points.")
            .arg(at, allRunners(d.required))
            .arg(d.window)
            .arg(seconds);
    case PunchRule::FinishComplete:
        return d.required == 1 ? Texts::tr("OK: the finish was punched; the team's finish time is %1.").arg(at)
                               : Texts::tr("OK: %1 needed punched the finish; the team's finish time is the last of their punches, %2.")
                                     .arg(allRunners(d.required), at);
    case PunchRule::FinishIncomplete:
        return d.runners < d.required
            ? Texts::tr("OverInt.: only %1 of the %2 runners needed punched the finish, so the team has no finish time.").arg(d.runners).arg(d.required)
            : Texts::tr("OverInt.: %1 different runners punched the finish, but the finish takes exactly %2, so the team has no finish time.")
                  .arg(d.runners)
                  .arg(d.required);
    case PunchRule::OtherCode:
        return Texts::tr("Listed at %1: %2 is not a scoring control (its code does not start with a number), so its first punch is listed as OK.")
            .arg(at, d.punch.code);
    case PunchRule::OtherCodeAgain:
        return Texts::tr("Listed again at %1: more than %2 s after the visit at %3.").arg(at).arg(VisitGapSeconds).arg(from);
    }
    return QString();
}

// Punches within the visit gap of a listed punch, told by the visit they belong to.
QString Explainer::sameVisitText(const CodeStory &story) const
{
    QStringList sentences;
    std::vector<qint64> visits;
    for (const Decision &d : story.decisions)
        if (d.rule == PunchRule::SameVisit && std::find(visits.begin(), visits.end(), d.other->id) == visits.end())
            visits.push_back(d.other->id);
    for (qint64 visit : visits) {
        QStringList times;
        SerialDateTime visitTime = 0;
        for (const Decision &d : story.decisions)
            if (d.rule == PunchRule::SameVisit && d.other->id == visit) {
                times.append(timeText(d.punch.time));
                visitTime = d.other->time;
            }
        sentences.append(Texts::tr("The punches at %1 belong to the visit at %2 (%3 s or less apart).")
                             .arg(times.join(QStringLiteral(", ")), timeText(visitTime))
                             .arg(VisitGapSeconds));
    }
    return sentences.join(u' ');
}

QString Explainer::pointsText(const QString &code, const CodeStory &story) const
{
    QStringList sentences;
    for (const Counted &c : story.counted) {
        if (c.inCenter > 0)
            sentences.append(Texts::tr("Time in the administration area: %1.").arg(FormatSeconds(c.inCenter)));
        if (!c.scores)
            continue;
        if (!c.known) {
            if (LeadingNumber(code) > 0)
                sentences.append(Texts::tr("%1 is not a control of the course: no points.").arg(code));
        } else if (c.points != 0) {
            sentences.append(Texts::tr("%1 points.").arg(c.points));
        } else if (LeadingNumber(code) > 0) {
            sentences.append(Texts::tr("The control is worth 0 points."));
        }
    }
    return sentences.join(u' ');
}

QString Explainer::pairsText(const QString &code, const CodeStory &story) const
{
    QStringList sentences;
    QStringList counted; // keys that gave points at an entry of the code
    for (const Counted &c : story.counted)
        if (c.extraPoints != 0) {
            counted.append(c.previousCode);
            sentences.append(Texts::tr("+%1 extra points for the pair %2 → %3 (a pair counts whatever the statuses of its punches).")
                                 .arg(c.extraPoints)
                                 .arg(c.previousCode, code));
        }
    if (story.counted.empty())
        return sentences.join(u' ');
    // The entry a missed pair is told at: the one that scored, else the first.
    const Counted *told = &story.counted.front();
    for (const Counted &c : story.counted)
        if (c.scores && c.entry.status == PunchOK) {
            told = &c;
            break;
        }
    QStringList seen;
    for (const TExtraPointList &rule : m_course.extraPointRules()) {
        const QString from = rule.key.section(u'>', 0, 0);
        if (rule.key.section(u'>', 1) != code || seen.contains(from) || counted.contains(from))
            continue;
        seen.append(from);
        const qint64 points = m_course.extraPoints().legPoints(from, code);
        if (points == 0)
            continue;
        sentences.append(told->previousCode == ExtraPointRules::startCode()
                             ? Texts::tr("The pair %1 → %2 (%3 extra points) did not count: this is the first entry of the punch list.")
                                   .arg(from, code)
                                   .arg(points)
                             : Texts::tr("The pair %1 → %2 (%3 extra points) did not count: right before it the punch list has %4, not %1.")
                                   .arg(from, code)
                                   .arg(points)
                                   .arg(told->previousCode));
    }
    return sentences.join(u' ');
}

QString Explainer::codeLine(const QString &code, const CodeStory &story) const
{
    QStringList sentences{code + QStringLiteral(": ") + whoPunched(code) + u'.'};
    if (story.tooMany) {
        sentences.append(Texts::tr("More than %1 punches count here, more than the calculation takes for one control: it stops "
                                   "(\"To many controls!\") and the team gets no result.")
                             .arg(m_limit));
        return sentences.join(u' ');
    }
    if (story.ignored)
        sentences.append(Texts::tr("Not weighed: the team needs no runner at its controls."));
    for (const Decision &d : story.decisions)
        if (const QString text = decisionText(d); !text.isEmpty())
            sentences.append(text);
    if (const QString text = sameVisitText(story); !text.isEmpty())
        sentences.append(text);
    if (!story.repeats.empty()) {
        QStringList repeats;
        for (const StoredPunch &punch : story.repeats)
            repeats.append(runnerName(punch.runnerId) + u' ' + timeText(punch.time));
        sentences.append(Texts::tr("A runner's punch right after the same runner's earlier one here is left out: %1.")
                             .arg(repeats.join(QStringLiteral(", "))));
    }
    for (const StoredPunch &punch : story.unknown)
        sentences.append(Texts::tr("The punch of %1 at %2 is stored as unknown (?) and takes no part.")
                             .arg(runnerName(punch.runnerId), timeText(punch.time)));
    // A readout stores unknown codes so; a status changed to "NA" by hand has its log line.
    if (const QString line = NewestControlCorrection(m_log, m_team.number, code); !story.unknown.empty() && !line.isEmpty())
        sentences.append(Texts::tr("Edit log: \"%1\".").arg(line));
    if (const QString text = pointsText(code, story); !text.isEmpty())
        sentences.append(text);
    if (const QString text = pairsText(code, story); !text.isEmpty())
        sentences.append(text);
    return sentences.join(u' ');
}

QString Explainer::statusRule(int status, int computed, int before) const
{
    if (status == computed)
        return status == TeamOK ? Texts::tr("Status OK: the team finished within its class's maximum time plus the penalty time.")
                                : Texts::tr("Status LATE: the team finished later than its class's maximum time plus the penalty time.");
    return Texts::tr("Status %1 stays: it was set by hand, and a calculation keeps OB, W/D, DSQ and DNS (it would have given %2).")
               .arg(TeamStatusText(before), TeamStatusText(computed))
        + logNote(NewestTeamStatusCorrection(m_log, m_team.number));
}

void Explainer::appendTotals(QStringList &lines, TeamExplanation &explanation) const
{
    qint64 controlPoints = 0, extraPoints = 0;
    for (const auto &[code, story] : m_stories)
        for (const Counted &c : story.counted) {
            if (c.scores)
                controlPoints += c.points;
            extraPoints += c.extraPoints;
        }
    const qint64 points = controlPoints + extraPoints;
    explanation.points = points;
    const bool tooMany = m_noResult == NoResultReason::TooManyPunches;
    if (!tooMany)
        lines.append(Texts::tr("Points: %1 (controls %2, extra points %3).").arg(points).arg(controlPoints).arg(extraPoints));

    if (m_result) {
        const ResultDecision &r = *m_result;
        explanation.fullResult = true;
        explanation.penalty = r.overtime.penalty;
        explanation.result = r.result;
        explanation.status = r.status;
        const TClassInfo &c = r.teamClass;
        lines.append(Texts::tr("Finish %1: running time %2 from the class start %3 (class %4: maximum time %5, penalty time %6).")
                         .arg(timeText(r.finishTime), FormatSeconds(r.runningTime / 100), FormatHundredths(c.start, 0), c.name,
                              FormatSeconds(c.maximumTime / 100), FormatSeconds(c.penaltyTime / 100)));
        const qint64 over = r.runningTime - c.maximumTime;
        if (r.overtime.late)
            lines.append(Texts::tr("%1 over the maximum time is more than the penalty time of %2: the team is late and gets no penalty points.")
                             .arg(FormatSeconds(over / 100), FormatSeconds(c.penaltyTime / 100)));
        else if (r.overtime.spans > 0)
            lines.append(Texts::tr("Overtime %1: %2 started spans of %3 s × %4 points = %5 penalty points.")
                             .arg(FormatSeconds(over / 100))
                             .arg(r.overtime.spans)
                             .arg(r.penaltySeconds)
                             .arg(r.penaltyPoints)
                             .arg(r.overtime.penalty));
        else
            lines.append(Texts::tr("Within the maximum time: no penalty."));
        if (r.inCenter > 0)
            lines.append(Texts::tr("Time in the administration area: %1, on the course: %2.")
                             .arg(FormatSeconds(r.inCenter), FormatSeconds(r.runningTime / 100 - r.inCenter)));
        lines.append(statusRule(r.status, r.computedStatus, r.statusBefore));
        if (r.status == TeamOK)
            lines.append(r.points + r.overtime.penalty > 0
                             ? Texts::tr("Result: %1 points and %2 penalty points make %3.").arg(r.points).arg(r.overtime.penalty).arg(r.result)
                             : Texts::tr("Result: 0. %1 points and %2 penalty points make less than 1, and an OK team never scores below 0.")
                                   .arg(r.points)
                                   .arg(r.overtime.penalty));
        else
            lines.append(Texts::tr("Result: %1, the team's status; a team that is not OK gets no points result.").arg(ResultText(r.result)));
        return;
    }

    explanation.status = m_statusAfter;
    switch (m_noResult.value_or(NoResultReason::NoFinish)) {
    case NoResultReason::TooManyPunches:
        lines.append(Texts::tr("No result: the calculation stops at a control with more than %1 punches and writes nothing.").arg(m_limit));
        return;
    case NoResultReason::ClassMissing:
        lines.append(Texts::tr("No result: the class \"%1\" is not in the class table, so nothing is written.").arg(m_team.className));
        return;
    case NoResultReason::NoFinish:
        lines.append(Texts::tr("No result: the team has no complete finish."));
        break;
    case NoResultReason::NoPoints:
        lines.append(Texts::tr("No result: the team has 0 points."));
        break;
    }
    if (m_statusAfter == TeamNoResult)
        lines.append(Texts::tr("Status NARes.: a team without a result whose status was NA, START or NARes. and whose punch list "
                               "has two entries or more gets NARes."));
    else if (m_statusBefore >= TeamNoResult)
        lines.append(Texts::tr("Status %1 stays: the punch list has fewer than two entries.").arg(TeamStatusText(m_statusBefore)));
    else
        lines.append(Texts::tr("Status %1 stays: only a full result changes it.").arg(TeamStatusText(m_statusBefore))
                     + (m_statusBefore >= TeamOB && m_statusBefore <= TeamDNS ? logNote(NewestTeamStatusCorrection(m_log, m_team.number))
                                                                              : QString()));
}

TeamExplanation Explainer::explanation() const
{
    TeamExplanation explanation;
    QStringList &lines = explanation.lines;
    lines.append(headline());
    lines.append(rulesLine());
    const bool tooMany = m_noResult == NoResultReason::TooManyPunches;
    for (const QString &code : codesInListOrder()) {
        const CodeStory &story = m_stories.at(code);
        // Stopped, the calculation keeps nothing of the controls weighed before.
        if (!tooMany || story.tooMany)
            lines.append(codeLine(code, story));
    }
    if (m_punches.empty())
        lines.append(Texts::tr("The team has no punches."));
    appendTotals(lines, explanation);
    return explanation;
}

QString allRunners(int count)
{
    return count == 1 ? Texts::tr("the one runner") : count == 2 ? Texts::tr("both runners") : Texts::tr("all %1 runners").arg(count);
}

std::vector<Runner> runnersOf(db::Connection &connection, qint64 teamId)
{
    std::vector<Runner> runners;
    QSqlQuery rows = connection.exec(QStringLiteral("SELECT id, firstname, lastname, chipnr, started FROM runner WHERE team_id=? ORDER BY id"),
                                     {teamId});
    while (rows.next()) {
        QString name = QString(rows.value(1).toString() + u' ' + rows.value(2).toString()).trimmed();
        if (name.isEmpty())
            name = Texts::tr("the runner with chip %1").arg(rows.value(3).toString());
        runners.push_back({rows.value(0).toLongLong(), name, rows.value(4).toInt() == 1});
    }
    return runners;
}

// What a stored row says now, when it is not what a calculation would write.
QString storedDifference(db::Connection &connection, qint64 teamId, const TeamExplanation &explanation)
{
    const std::optional<TeamRow> stored = ReadTeam(connection, teamId);
    if (!stored)
        return QString();
    const bool differs = explanation.fullResult ? stored->result != explanation.result || stored->status != explanation.status
                                                : stored->status != explanation.status;
    if (!differs)
        return QString();
    return Texts::tr("Stored now: result %1, status %2, from an earlier calculation; calculate the team to store the above.")
        .arg(ResultText(stored->result), TeamStatusText(stored->status));
}

struct SilentSink : MessageSink
{
    void error(const QString &) override {}
    void warning(const QString &) override {}
};

} // namespace

TeamExplanation ExplainTeamResult(TeamCalculation &calculation, db::Connection &connection, const QStringList &log, qint64 number)
{
    const std::optional<TeamRow> team = FindTeamByNumber(connection, number);
    if (!team)
        throw KorventError(Texts::tr("There is no team with number %1").arg(number));
    Explainer explainer(calculation, runnersOf(connection, team->id), log);
    if (!calculation.ExplainTeam(number, explainer))
        throw KorventError(Texts::tr("There is no team with number %1").arg(number));
    TeamExplanation explanation = explainer.explanation();
    if (const QString difference = storedDifference(connection, team->id, explanation); !difference.isEmpty())
        explanation.lines.append(difference);
    return explanation;
}

TeamExplanation ExplainTeamResult(TdmData &data, std::shared_ptr<const EventSetup> setup, const QString &eventDirectory, qint64 number)
{
    SilentSink silent;
    TeamCalculation calculation(data, std::move(setup), silent);
    calculation.LoadCourseDefinition();
    return ExplainTeamResult(calculation, data.connection(), LoadCorrectionLog(eventDirectory), number);
}

TeamExplanation ExplainTeamRow(TdmData &data, std::shared_ptr<const EventSetup> setup, const QString &eventDirectory, qint64 teamId)
{
    const std::optional<TeamRow> team = ReadTeam(data.connection(), teamId);
    if (!team)
        throw KorventError(Texts::tr("The team is no longer in the event database"));
    const QVariant number = data.connection().scalar(QStringLiteral("SELECT number FROM team WHERE id=?"), {teamId});
    TeamExplanation explanation;
    if (number.isNull()) {
        explanation.lines.append(Texts::tr("The team has no number: the calculation finds teams by their number, so it has no result."));
        return explanation;
    }
    const std::optional<qint64> first = FirstTeamNumbered(data.connection(), number.toLongLong());
    if (first && *first != teamId) {
        const QString name = ReadTeam(data.connection(), *first).value_or(TeamRow{}).name;
        explanation.lines.append(Texts::tr("Number %1 belongs first to the team \"%2\": the calculation finds that team for the number, "
                                           "so this one has no result of its own. Give it a number of its own.")
                                     .arg(number.toLongLong())
                                     .arg(name));
        return explanation;
    }
    return ExplainTeamResult(data, std::move(setup), eventDirectory, number.toLongLong());
}
