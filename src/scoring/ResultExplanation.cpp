#include "scoring/ResultExplanation.h"

#include "db/ReadSnapshot.h"

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


// Spans of the reports' length are told as the reports tell them.
QString spanText(qint64 seconds)
{
    return seconds < 600 ? Texts::tr("%1 s").arg(seconds) : FormatSeconds(seconds);
}

// Names and log lines as one line each: a line break or control byte stored in them would break the lines told.
QString oneLine(QString text)
{
    for (QChar &c : text)
        if (c.category() == QChar::Other_Control)
            c = u' ';
    return text;
}

QString codeName(const QString &code)
{
    return code.isEmpty() ? Texts::tr("(no code)") : code;
}

class Explainer : public CalculationRecorder
{
public:
    Explainer(const TeamCalculation &calculation, std::vector<Runner> runners, const QStringList &log, bool forTeam)
        : m_course(calculation.course())
        , m_eventDate(calculation.setup().settings.eventDate->date())
        , m_runners(std::move(runners))
        , m_log(log)
        , m_public(forTeam)
    {
    }

    void teamRead(const TeamRow &team, const std::vector<StoredPunch> &punches, int requiredRunners, bool cardPerTeam,
                  int punchWindow) override
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
    void entryCounted(const tControlRes &entry, const TControlPoint *control, bool scores, const QString &previousCode,
                      qint64 extraPoints, qint64 inCenterSeconds) override
    {
        story(entry.code).counted.push_back(
            {entry, control != nullptr, control ? control->points : 0, scores, previousCode, extraPoints, inCenterSeconds});
    }
    void noResult(NoResultReason reason, int statusBefore, int statusAfter) override
    {
        m_noResult = reason;
        m_statusBefore = statusBefore;
        m_statusAfter = statusAfter;
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
    QString statusKept(int status) const;
    QString substituteText(const QString &code) const;
    QString afterFinishText(const CodeStory &story) const;
    QStringList removedCodeLines() const;

    const CourseDefinition &m_course;
    QDate m_eventDate;
    std::vector<Runner> m_runners;
    const QStringList &m_log;
    bool m_public = false; // for the team's own page: no notes meant for the secretariat

    TeamRow m_team;
    std::vector<StoredPunch> m_punches;
    int m_required = 0;
    bool m_cardPerTeam = false;
    int m_window = -1;
    int m_limit = 0;
    std::map<QString, CodeStory> m_stories;
    tResArray m_list;
    std::optional<NoResultReason> m_noResult;
    int m_statusBefore = 0;
    int m_statusAfter = 0;
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
    if (line.isEmpty())
        return m_public ? QString() : u' ' + Texts::tr("No line of the edit log names it.");
    return u' ' + Texts::tr("Edit log: \"%1\".").arg(oneLine(line));
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
    if (m_window == -1)
        return Texts::tr("Control card per runner: a control counts when %1 different runners have punched it (started: %2); "
                         "the punch window is not checked.")
            .arg(m_required)
            .arg(runnerList(started));
    return Texts::tr("Control card per runner: a control counts when %1 different runners have punched it within the punch window "
                     "of %2 s (started: %3).")
        .arg(m_required)
        .arg(m_window)
        .arg(runnerList(started));
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
        const bool ofTeam = std::any_of(m_runners.begin(), m_runners.end(), [id](const Runner &r) { return r.id == id; });
        const QString name = started || m_cardPerTeam || !ofTeam ? runnerName(id) : Texts::tr("%1 (not started)").arg(runnerName(id));
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
        return Texts::tr("MP (missing punch): %1 different runners must punch it and %2 did; no points.").arg(d.required).arg(d.runners);
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
        return Texts::tr("OK at %1: %2 different runners punched it within %3 (from %4), inside the punch window of %5 s.")
            .arg(at)
            .arg(d.required)
            .arg(spanText(seconds), from)
            .arg(d.window);
    case PunchRule::WindowMissed:
        return Texts::tr("OverInt. at %1: %2 different runners punched it, but %3 apart (from %4), more than the punch window of %5 s; "
                         "no points.")
            .arg(at)
            .arg(d.required)
            .arg(spanText(seconds), from)
            .arg(d.window);
    case PunchRule::WindowAgain:
        if (d.required == 1)
            return Texts::tr("Double at %1: punched again after the punch that counted; no points.").arg(at);
        return Texts::tr("Double at %1: the runners punched it again after the visit that counted (from %2 to %1, %3 apart); no points.")
            .arg(at, from, spanText(seconds));
    case PunchRule::NoWindow:
        return Texts::tr("OverInt. at %1: the punches never brought %2 different runners together within the punch window of %3 s "
                         "(first to last punch %4); no points.")
            .arg(at)
            .arg(d.required)
            .arg(d.window)
            .arg(spanText(seconds));
    case PunchRule::OutsideWindows:
        return Texts::tr("The punch of %1 at %2 takes no part: it is in no window of %3 different runners that the calculation weighs "
                         "(the search starts no window at a control's last punch).")
            .arg(runnerName(d.punch.runnerId), timeText(d.punch.time))
            .arg(d.required);
    case PunchRule::FinishComplete:
        return d.required == 1 ? Texts::tr("OK: the finish was punched; the team's finish time is %1.").arg(at)
                               : Texts::tr("OK: %1 different runners punched the finish, as needed; the team's finish time is the last "
                                           "of their punches, %2.")
                                     .arg(d.required)
                                     .arg(at);
    case PunchRule::FinishIncomplete:
        return d.runners < d.required
            ? Texts::tr("OverInt.: %1 different runners must punch the finish and %2 did, so the team has no finish time.")
                  .arg(d.required)
                  .arg(d.runners)
            : Texts::tr("OverInt.: %1 different runners punched the finish, but the finish takes exactly %2, so the team has no finish time.")
                  .arg(d.runners)
                  .arg(d.required);
    case PunchRule::OtherCode:
        if (d.punch.code == QLatin1String("I"))
            return Texts::tr("Listed at %1: I is the check-in to the administration area, not a scoring control, so its first punch is listed "
                             "as OK.")
                .arg(at);
        if (d.punch.code == QLatin1String("O"))
            return Texts::tr("Listed at %1: O is the check-out of the administration area, not a scoring control, so its first punch is "
                             "listed as OK.")
                .arg(at);
        return Texts::tr("Listed at %1: %2 is not a scoring control (its code does not start with a number above 0), so its first punch "
                         "is listed as OK.")
            .arg(at, codeName(d.punch.code));
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
            sentences.append(Texts::tr("+%1 extra points for the pair %2 → %3 at the entry of %4 (a pair counts at every entry that "
                                       "follows the other's, whatever the statuses of its punches).")
                                 .arg(c.extraPoints)
                                 .arg(c.previousCode, code, timeText(c.entry.time)));
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
    QStringList sentences{Texts::tr("%1: %2.").arg(codeName(code), whoPunched(code))};
    if (story.tooMany) {
        sentences.append(Texts::tr("More than %1 punches count here, more than the calculation takes for one control: it stops "
                                   "(\"To many controls!\") and the team gets no result.")
                             .arg(m_limit));
        return sentences.join(u' ');
    }
    if (story.ignored)
        sentences.append(Texts::tr("Not weighed: no runner of the team is marked as started, so no punch counts."));
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
    if (const QString text = substituteText(code); !text.isEmpty())
        sentences.append(text);
    if (const QString text = afterFinishText(story); !text.isEmpty())
        sentences.append(text);
    // A hand correction of the control is named, whatever rule decided (a punch set by hand has told it already).
    const bool byHand = std::any_of(story.decisions.begin(), story.decisions.end(), [](const Decision &d) { return d.rule == PunchRule::SetByHand; });
    if (const QString line = NewestControlCorrection(m_log, m_team.number, code); !byHand && !line.isEmpty())
        sentences.append(Texts::tr("Edit log: \"%1\".").arg(oneLine(line)));
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
    return statusKept(before) + u' ' + Texts::tr("The calculation would have given %1.").arg(TeamStatusText(computed));
}

// A status the calculation leaves as it is, and why.
QString Explainer::statusKept(int status) const
{
    if (status >= TeamOB && status <= TeamDNS)
        return Texts::tr("Status %1 stays: it was set by hand, and a calculation keeps OB, W/D, DSQ and DNS.").arg(TeamStatusText(status))
            + logNote(NewestTeamStatusCorrection(m_log, m_team.number));
    if (status == TeamOK || status == TeamLate)
        return Texts::tr("Status %1 stays: without a full result a calculation changes only NA, START and NARes.").arg(TeamStatusText(status));
    if (status >= TeamNoResult && status <= TeamNew)
        return Texts::tr("Status %1 stays: the punch list has fewer than two entries.").arg(TeamStatusText(status));
    return Texts::tr("The stored status %1 is no team status a calculation knows, so it keeps it.").arg(status);
}

// The calculation counts different runners, not started ones: a punch of
// another runner can stand in for a started runner who missed the control.
QString Explainer::substituteText(const QString &code) const
{
    if (m_cardPerTeam || m_required == 0)
        return QString();
    const auto punched = [&](qint64 id) {
        return std::any_of(m_punches.begin(), m_punches.end(), [&](const StoredPunch &p) { return p.code == code && p.runnerId == id; });
    };
    std::vector<qint64> missing, others;
    for (const Runner &runner : m_runners)
        if (runner.started && !punched(runner.id))
            missing.push_back(runner.id);
    for (const StoredPunch &punch : m_punches) {
        const bool started = std::any_of(m_runners.begin(), m_runners.end(), [&](const Runner &r) { return r.id == punch.runnerId && r.started; });
        if (punch.code == code && !started && std::find(others.begin(), others.end(), punch.runnerId) == others.end())
            others.push_back(punch.runnerId);
    }
    if (missing.empty() || others.empty())
        return QString();
    return Texts::tr("The calculation counts different runners, not started ones: the punches of %1 count here although %2 did not punch.")
        .arg(runnerList(others), runnerList(missing));
}

QString Explainer::afterFinishText(const CodeStory &story) const
{
    if (!m_result || m_result->finishTime == 0)
        return QString();
    QStringList times;
    for (const Counted &c : story.counted)
        if (c.entry.code != QLatin1String("F") && c.entry.time > m_result->finishTime)
            times.append(timeText(c.entry.time));
    if (times.isEmpty())
        return QString();
    return Texts::tr("The punch at %1 is after the team's finish time %2; the calculation takes it like any other.")
        .arg(times.join(QStringLiteral(", ")), timeText(m_result->finishTime));
}

// Controls a hand correction took every punch from: only the edit log tells them.
QStringList Explainer::removedCodeLines() const
{
    QStringList lines, codes;
    for (const QString &line : m_log) {
        const QString code = CorrectedControl(line, m_team.number);
        if (code.isEmpty() || codes.contains(code) || m_stories.count(code) > 0)
            continue;
        codes.append(code);
        lines.append(Texts::tr("%1: the team has no punch here now. Edit log: \"%2\".").arg(oneLine(code), oneLine(line)));
    }
    return lines;
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
    else
        lines.append(statusKept(m_statusBefore));
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
    if (!tooMany)
        lines.append(removedCodeLines());
    if (m_punches.empty())
        lines.append(Texts::tr("The team has no punches."));
    appendTotals(lines, explanation);
    return explanation;
}

std::vector<Runner> runnersOf(db::Connection &connection, qint64 teamId)
{
    std::vector<Runner> runners;
    QSqlQuery rows = connection.exec(QStringLiteral("SELECT id, firstname, lastname, chipnr, started FROM runner WHERE team_id=? ORDER BY id"),
                                     {teamId});
    std::vector<QString> chips;
    while (rows.next()) {
        QString name = oneLine(rows.value(1).toString() + u' ' + rows.value(2).toString()).trimmed();
        if (name.isEmpty())
            name = Texts::tr("the runner with chip %1").arg(rows.value(3).toString());
        runners.push_back({rows.value(0).toLongLong(), name, rows.value(4).toInt() == 1});
        chips.push_back(rows.value(3).toString());
    }
    // Runners of the same name are told apart by their chips.
    std::vector<QString> names;
    for (const Runner &runner : runners)
        names.push_back(runner.name);
    for (size_t i = 0; i < runners.size(); ++i)
        if (std::count(names.begin(), names.end(), names[i]) > 1)
            runners[i].name = Texts::tr("%1 (chip %2)").arg(names[i], chips[i]);
    return runners;
}

// What the team row holds when it is not what the explanation arrives at.
QString storedNote(const TeamRow &stored, const TeamExplanation &explanation)
{
    if (!stored.calculated)
        return explanation.fullResult || stored.status != explanation.status
            ? Texts::tr("The team has not been calculated yet, so none of the above is stored; calculate the team to store it.")
            : QString();
    if (!explanation.fullResult) {
        QStringList sentences;
        // Only a full result writes a finish time: an earlier one's result is still in the row.
        if (stored.finis != 0)
            sentences.append(Texts::tr("The team row still holds the result %1 (points %2, penalty %3) of an earlier calculation: a "
                                       "calculation without a full result leaves it, and the result lists show it until the team has "
                                       "a full result again.")
                                 .arg(ResultText(stored.result))
                                 .arg(stored.points)
                                 .arg(stored.penalty));
        if (stored.status != explanation.status)
            sentences.append(Texts::tr("Stored now: status %1; calculate the team to store the above.").arg(TeamStatusText(stored.status)));
        return sentences.join(u' ');
    }
    if (stored.result == explanation.result && stored.status == explanation.status && stored.points == explanation.points
        && stored.penalty == explanation.penalty)
        return QString();
    return Texts::tr("Stored now: result %1, points %2, penalty %3, status %4, from an earlier calculation or a change by hand; "
                     "calculate the team to store the above.")
        .arg(ResultText(stored.result))
        .arg(stored.points)
        .arg(stored.penalty)
        .arg(TeamStatusText(stored.status));
}

// The row shows a result or status the explanation does not arrive at.
bool contradicts(const TeamRow &stored, const TeamExplanation &explanation)
{
    if (explanation.fullResult)
        return stored.result != explanation.result || stored.status != explanation.status || stored.points != explanation.points
            || stored.penalty != explanation.penalty;
    return stored.status != explanation.status || stored.finis != 0 || stored.result > 0;
}

QString noTeamText(qint64 number)
{
    return Texts::tr("There is no team with number %1").arg(number);
}

} // namespace

TeamExplanation ExplainTeamResult(TeamCalculation &calculation, db::Connection &connection, const QStringList &log, qint64 number,
                                  ExplanationReader reader)
{
    const db::ReadSnapshot snapshot(connection);
    const std::optional<TeamRow> team = FindTeamByNumber(connection, number);
    if (!team)
        throw KorventError(noTeamText(number));
    Explainer explainer(calculation, runnersOf(connection, team->id), log, reader == ExplanationReader::Team);
    if (!calculation.ExplainTeam(number, explainer))
        throw KorventError(noTeamText(number));
    TeamExplanation explanation = explainer.explanation();
    if (const qint64 sharing = connection.scalar(QStringLiteral("SELECT COUNT(*) FROM team WHERE number=?"), {number}).toLongLong(); sharing > 1)
        explanation.lines.insert(1, Texts::tr("%1 teams have the number %2: the calculation finds this one, the first, and the others get "
                                              "no result of their own.")
                                        .arg(sharing)
                                        .arg(number));
    if (reader == ExplanationReader::Team) {
        // A team's page shows the stored result: lines that end elsewhere would contradict it.
        if (contradicts(*team, explanation))
            explanation.lines.clear();
    } else if (const QString note = storedNote(*team, explanation); !note.isEmpty()) {
        explanation.lines.append(note);
    }
    return explanation;
}

TeamExplanation ExplainTeamResult(TdmData &data, std::shared_ptr<const EventSetup> setup, const QString &eventDirectory, qint64 number)
{
    SilentMessages silent;
    TeamCalculation calculation(data, std::move(setup), silent);
    calculation.LoadCourseDefinition();
    QStringList log;
    QString logError;
    try {
        log = LoadCorrectionLog(eventDirectory);
    } catch (const KorventError &error) {
        logError = error.message();
    }
    TeamExplanation explanation = ExplainTeamResult(calculation, data.connection(), log, number);
    if (!logError.isEmpty())
        explanation.lines.append(Texts::tr("%1: the log lines of hand corrections are missing above.").arg(logError));
    return explanation;
}
TeamExplanation ExplainTeamRow(TdmData &data, std::shared_ptr<const EventSetup> setup, const QString &eventDirectory, qint64 teamId)
{
    const std::optional<TeamRow> team = ReadTeam(data.connection(), teamId);
    if (!team)
        throw KorventError(Texts::tr("The team is no longer in the event database"));
    TeamExplanation explanation;
    if (!team->numbered) {
        explanation.lines.append(Texts::tr("The team has no number: the calculation finds teams by their number, so it has no result."));
        return explanation;
    }
    const std::optional<qint64> first = FirstTeamNumbered(data.connection(), team->number);
    if (first && *first != teamId) {
        const QString name = ReadTeam(data.connection(), *first).value_or(TeamRow{}).name;
        explanation.lines.append(Texts::tr("Number %1 belongs first to the team \"%2\": the calculation finds that team for the number, "
                                           "so this one has no result of its own. Give it a number of its own.")
                                     .arg(team->number)
                                     .arg(name));
        return explanation;
    }
    return ExplainTeamResult(data, std::move(setup), eventDirectory, team->number);
}
