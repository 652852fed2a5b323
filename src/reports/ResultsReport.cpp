#include "reports/ResultsReport.h"

#include "reports/ClassGroup.h"
#include "reports/ClassPlaces.h"
#include "reports/CourseLegs.h"
#include "reports/ReportPage.h"
#include "reports/RouteImage.h"
#include "reports/RouteMapEncoder.h"
#include "reports/TeamResultPage.h"
#include "reports/TeamsTogether.h"
#include "reports/WinnersList.h"

#include "base/CountText.h"
#include "base/KorventError.h"
#include "base/MessageSink.h"
#include "base/Platform.h"
#include "base/TextFile.h"
#include "base/WorkSteps.h"
#include "db/Connection.h"
#include "db/PortableSql.h"
#include "db/StoredValue.h"
#include "scoring/CorrectionLog.h"
#include "scoring/ResultExplanation.h"
#include "scoring/TeamCalculation.h"
#include "scoring/UnlistedMembers.h"
#include "store/EventLocation.h"
#include "store/EventSetup.h"
#include "store/MapHelpers.h"
#include "store/StatusTexts.h"
#include "store/TeamRow.h"
#include "store/TimeHelpers.h"

#include <QCoreApplication>
#include <QHash>
#include <QSet>
#include <QLocale>
#include <QSqlQuery>
#include <QUrl>
#include <optional>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(Reports)
};

// A plain text file of the program.
QByteArray textFileBytes(const QStringList &lines)
{
    return Platform::encodeText(TextOfLines(lines));
}

class ResultsRun
{
public:
    ResultsRun(const ReportContext &context, ResultsVariant variant, const ReportRequest &request,
               LiveResultsChoice live = {});
    std::optional<ReportFile> run();

private:
    bool splits() const { return m_variant == ResultsVariant::Splits; }
    bool web() const { return m_variant == ResultsVariant::Web; }
    // The team gets a page of its own, and its row a link to it.
    bool ownPage(const TeamRow &team) const { return web() && team.calculated && !m_withoutPage.contains(team.id); }
    ReportFile pageFile(const QString &className) const;
    void startPage();
    void oneClass(ClassGroup &group, const std::vector<TeamRow> &teams);
    std::vector<TeamRow> teamsOf(const ClassGroup &group);
    std::vector<ResultRunner> runnersOf(qint64 teamId);
    void headingRow();
    void teamRow(const TeamRow &team, const QString &placeText, QString &medalList, int rowNumber);
    void courseCell(const TeamRow &team);
    void writeCourseCell(const TeamRow &team);
    void teamPage(const TeamRow &team, const std::vector<ResultRunner> &runners, const QString &placeText, const QString &subClassText);
    const tResArray *punchList(const TeamRow &team);
    void refuseSharedNumbers(const std::vector<std::vector<TeamRow>> &teamsOfGroups);
    // The listed teams (by id) whose number is shared, or who have none.
    QSet<qint64> teamsSharingNumbers(const std::vector<std::vector<TeamRow>> &teamsOfGroups);

    const ReportContext &m_context;
    const EventSettings &m_settings;
    const EventLocation &m_location;
    ResultsVariant m_variant;
    QStringList m_classes;
    bool m_perClass;
    ReportFolder m_folder;
    SilentMessages m_silent;

    ReportPage m_page;
    std::optional<ReportFile> m_written;
    std::optional<TeamCalculation> m_calculation;
    tResArray m_list;
    CountryList m_countries;
    QStringList m_correctionLog; // the team pages name the hand corrections behind a result
    ReportPage m_teamHeader;
    std::optional<RouteBase> m_routeBase;
    QSqlQuery m_runners;
    RouteMapEncoder m_maps;
    std::vector<tTeamTimeCheck> m_checks;
    WinnersList m_winners;
    LiveResultsChoice m_live;
    std::optional<WorkSteps> m_steps; // a team is a step
    qint64 m_teamsDone = 0;
    QSet<qint64> m_withoutPage; // teams listed without a page of their own
};

const EventLocation &locationOf(const ReportContext &context)
{
    if (!context.location)
        throw KorventError(Texts::tr("The results need the event's folders"));
    return *context.location;
}

ResultsRun::ResultsRun(const ReportContext &context, ResultsVariant variant, const ReportRequest &request,
                       LiveResultsChoice live)
    : m_context(context)
    , m_settings(context.setup.settings)
    , m_location(locationOf(context))
    , m_variant(variant)
    , m_classes(request.classes)
    , m_perClass(request.perClass && variant != ResultsVariant::Winners)
    , m_folder(variant == ResultsVariant::Web ? ReportFolder::Web : ReportFolder::Results)
    , m_maps(context.output)
    , m_live(std::move(live))
{
}

ReportFile ResultsRun::pageFile(const QString &className) const
{
    return ReportFile{m_folder, QStringLiteral("results") + className + QStringLiteral(".htm")};
}

void ResultsRun::startPage()
{
    m_page.ReportHeader(ReportHeaderFile(m_context), Texts::tr("Results"), EventInfoBlock(m_settings), m_settings);
}

std::optional<ReportFile> ResultsRun::run()
{
    // Every class is checked before a page is begun, so a class the results
    // cannot show stops the run with nothing written.
    std::vector<ClassGroup> groups;
    for (const QString &className : std::as_const(m_classes))
        groups.push_back(BuildClassGroup(m_context.setup.classTree, className, m_settings.extraClasses));
    std::vector<std::vector<TeamRow>> teamsOfGroups;
    qint64 teams = 0;
    for (const ClassGroup &group : groups) {
        teamsOfGroups.push_back(teamsOf(group));
        teams += static_cast<qint64>(teamsOfGroups.back().size());
    }

    if (splits() || web()) {
        if (m_live.teamsWithoutPages)
            m_withoutPage = teamsSharingNumbers(teamsOfGroups);
        else
            refuseSharedNumbers(teamsOfGroups);
        m_calculation.emplace(m_context.connection, std::make_shared<const EventSetup>(m_context.setup),
                              m_context.messages ? *m_context.messages : m_silent);
        m_calculation->LoadCourseDefinition();
    }
    if (web()) {
        m_countries = LoadCountryList(CountryListFileName(m_location.program));
        m_teamHeader.ReportHeader(ReportHeaderFile(m_context), Texts::tr("Results") + u':' + m_settings.eventName, QString(), m_settings);
        try {
            m_correctionLog = LoadCorrectionLog(m_location.eventDirectory);
        } catch (const KorventError &error) {
            // The pages are still right; only the log lines behind hand corrections are missing.
            if (m_context.messages)
                m_context.messages->warning(error.message());
        }
    }
    m_runners = m_context.connection.prepare(QStringLiteral(
        "SELECT firstname, lastname, sex, birthdate, country FROM runner WHERE started=1 AND team_id=? ORDER BY id"));

    m_steps.emplace(m_context.workProgress(), web() ? Texts::tr("Writing the results and the team pages") : Texts::tr("Writing the results"), teams);
    if (!m_perClass)
        startPage();
    for (size_t i = 0; i < groups.size(); ++i)
        oneClass(groups[i], teamsOfGroups[i]);
    if (!m_perClass)
        m_written = m_page.FinishReport(m_context.output, pageFile(QString()));
    if (m_context.messages) {
        QStringList listed;
        for (const ClassGroup &group : groups)
            listed += group.sqlClasses;
        WarnResultTeamsWithoutStartedRunner(m_context.connection, *m_context.messages, listed);
    }

    if (splits() && !m_live.cache) {
        const TeamsTogether together = CheckTeamsTogether(m_checks, m_location.teamsMinTimeWindow, m_location.teamsTogetherControls);
        m_context.output.write({ReportFolder::Results, QStringLiteral("teamsControlSameTime.txt")}, textFileBytes(together.pairLines));
        m_context.output.write({ReportFolder::Results, QStringLiteral("CheckTeams_Together.txt")}, textFileBytes(together.groupLines));
    }
    if (m_variant == ResultsVariant::Winners)
        m_context.output.write({ReportFolder::Event, QStringLiteral("winners.csv")}, m_winners.bytes());
    return m_written;
}

void ResultsRun::oneClass(ClassGroup &group, const std::vector<TeamRow> &teams)
{
    // Every class has the same course picture: it is drawn once a run.
    if (web() && m_settings.teamRouteMaps && !m_routeBase)
        m_routeBase = PrepareRouteBase(m_context.connection, m_settings, m_context.eventDirectory);
    if (m_perClass) {
        startPage();
        // Links to the pages of the other classes, beside this one in the same folder.
        for (const QString &other : std::as_const(m_classes))
            if (other != group.className)
                m_page.append(QStringLiteral("<a href=\"") + Html(QString::fromLatin1(QUrl::toPercentEncoding(QStringLiteral("results") + other + QStringLiteral(".htm"))))
                              + QStringLiteral("\">") + Html(other) + QStringLiteral("</a> &nbsp;"));
        m_page.append(QStringLiteral("<hr />"));
    }
    m_page.append(QStringLiteral("<span class=\"classheader\">") + Html(group.className) + QStringLiteral("</span><br />"));
    m_page.append(QStringLiteral("<table class=\"\" border=\"0\">"));
    headingRow();

    ClassPlaces places;
    int rowNumber = 0;
    for (const TeamRow &team : teams) {
        QString placeText = QStringLiteral("-");
        QString subClassText;
        QString medalList;
        if (const std::optional<int> place = places.next(team)) {
            placeText = QString::number(*place);
            for (size_t i = 0; i < group.subClasses.size(); ++i) {
                const QString &name = group.subClasses[i].name;
                if (name == team.className || name == team.subclass)
                    subClassText += SubClassPlaces(group, QString(group.subClasses[i].path), medalList);
            }
        }
        ++rowNumber;
        teamRow(team, placeText, medalList, rowNumber);
        if (!splits())
            m_page.append(QStringLiteral("<td>") + subClassText + QStringLiteral("</td>"));
        else
            courseCell(team);
        m_page.append(QStringLiteral("</tr>"));
        if (ownPage(team) && (!m_live.pages || m_live.pages->contains(team.number)))
            teamPage(team, runnersOf(team.id), placeText, subClassText);
        m_steps->reached(++m_teamsDone);
    }
    m_page.append(QStringLiteral("</table>"));
    if (splits())
        m_page.append(QStringLiteral("<div class=\"info\">") + Texts::tr("<b>Legend</b>: <i>MP</i> - missing punch; <i>Double</i> - double control; "
                                                                 "<i>&gt;xs</i> - over punch limit; <i>DQ</i> - disqualified control")
                      + QStringLiteral("</div>"));
    m_maps.finish();
    if (m_perClass)
        m_written = m_page.FinishReport(m_context.output, pageFile(group.className));
}

std::vector<TeamRow> ResultsRun::teamsOf(const ClassGroup &group)
{
    return ClassResultTeams(m_context.connection, group, m_live.uncalculatedTeams);
}

} // namespace

std::vector<TeamRow> ClassResultTeams(db::Connection &connection, const ClassGroup &group, bool uncalculated)
{
    // The class list goes in as bound values, one placeholder each.
    QStringList placeholders;
    QVariantList values;
    for (const QString &name : group.sqlClasses) {
        placeholders.append(QStringLiteral("?"));
        values.append(name);
    }
    const QString columns = QStringLiteral("SELECT id, number, name, club, country, class, subclass, status, start, points, penalty, result, rtime, inCenter, "
                                           "calctime FROM team WHERE ");
    const QString isSet = db::StoredTimeIsSetSql(QStringLiteral("calctime"));
    std::vector<TeamRow> teams;
    const auto read = [&](const QString &condition, const QString &order) {
        QSqlQuery rows = connection.exec(columns + condition + QStringLiteral(" AND class IN (") + placeholders.join(u',') + QStringLiteral(") ORDER BY ") + order,
                                         values);
        const TeamRowReader reader(rows);
        while (rows.next())
            teams.push_back(reader.read(rows));
    };
    read(isSet, QStringLiteral("result DESC, rtime, id"));
    if (uncalculated)
        read(QStringLiteral("(calctime IS NULL OR NOT ") + isSet + QStringLiteral(") AND EXISTS (SELECT 1 FROM runner WHERE runner.team_id=team.id)"),
             db::NullsFirst(connection.engine(), QStringLiteral("number")) + QStringLiteral(", id"));
    return teams;
}

namespace {

std::vector<ResultRunner> ResultsRun::runnersOf(qint64 teamId)
{
    // A class's every row names its runners: read again only for a team that changed.
    std::optional<std::vector<ResultRunner>> *kept = m_live.cache ? &m_live.cache->teams[teamId].runners : nullptr;
    if (kept && *kept)
        return **kept;
    m_context.connection.exec(m_runners, {teamId});
    std::vector<ResultRunner> runners;
    while (m_runners.next())
        runners.push_back(ResultRunner{m_runners.value(0).toString(), m_runners.value(1).toString(), m_runners.value(2).toString(),
                                       m_runners.value(4).toString(), DateTime::fromStored(m_runners.value(3))});
    m_runners.finish();
    if (kept)
        *kept = runners;
    return runners;
}

void ResultsRun::headingRow()
{
    m_page.append(QStringLiteral("<tr class=\"resultheader\"><td>") + Texts::tr("Place") + QStringLiteral("</td><td>") + Texts::tr("NR")
                  + QStringLiteral("</td><td>") + Texts::tr("Class") + QStringLiteral("</td><td>") + Texts::tr("Name") + QStringLiteral("</td>"));
    if (m_settings.showClub)
        m_page.append(QStringLiteral("<td>") + Texts::tr("Club") + QStringLiteral("</td>"));
    if (m_settings.showCountry)
        m_page.append(QStringLiteral("<td>") + Texts::tr("Ctry") + QStringLiteral("</td>"));
    m_page.append(QStringLiteral("<td>") + Texts::tr("Members") + QStringLiteral("</td><td>") + Texts::tr("Time") + QStringLiteral("<br />") + Texts::tr("Points")
                  + QStringLiteral("<br />") + Texts::tr("Penalty") + QStringLiteral("</td><td>") + Texts::tr("Result") + QStringLiteral("</td>"));
    m_page.append(QStringLiteral("<td>") + (splits() ? Texts::tr("Course") : Texts::tr("Place in class")) + QStringLiteral("</td></tr>"));
}

void ResultsRun::teamRow(const TeamRow &team, const QString &placeText, QString &medalList, int rowNumber)
{
    const QString number = QString::number(team.number);
    m_page.append(QStringLiteral("<tr class=\"team") + QString::number(rowNumber % 2) + QStringLiteral("\"><td align=\"right\">") + placeText
                  + QStringLiteral("</td><td>") + number + QStringLiteral("</td><td>") + Html(team.className) + QStringLiteral("</td>"));
    if (ownPage(team))
        m_page.append(QStringLiteral("<td><a href=\"javascript:openPopUp('teamresult_") + number + QStringLiteral(".htm','") + number
                      + QStringLiteral("');\">") + Html(team.name) + QStringLiteral("</a></td>"));
    else
        m_page.append(QStringLiteral("<td>") + Html(team.name) + QStringLiteral("</td>"));
    if (m_settings.showClub)
        m_page.append(QStringLiteral("<td>") + Html(team.club) + QStringLiteral("</td>"));
    if (m_settings.showCountry)
        m_page.append(QStringLiteral("<td>") + Html(team.country) + QStringLiteral("</td>"));

    m_page.append(QStringLiteral("<td class=\"css_members\" nowrap=nowrap>"));
    const QDate eventDate = m_settings.eventDate->date();
    for (const ResultRunner &runner : runnersOf(team.id)) {
        m_page.append(Html(runner.firstname + u' ' + runner.lastname + u' ' + runner.sex) + u' ' + AgeText(runner.birthdate, eventDate) + u' '
                      + Html(runner.country) + QStringLiteral("<br />"));
        if (m_variant == ResultsVariant::Winners && !medalList.isEmpty())
            m_winners.addRunner(team, placeText, {runner.firstname, runner.lastname, runner.country}, medalList);
    }
    m_page.append(QStringLiteral("</td>"));
    if (!team.calculated) {
        // Nothing worked out yet: no figures, the status the team has so far.
        m_page.append(QStringLiteral("<td></td><td class=\"css_result\">") + TeamStatusText(team.status) + QStringLiteral("</td>"));
        return;
    }
    m_page.append(QStringLiteral("<td>") + FormatSeconds(team.rtime) + QStringLiteral("<br />") + QString::number(team.points) + QStringLiteral("<br />")
                  + QString::number(team.penalty) + QStringLiteral("</td><td class=\"css_result\">") + ResultText(team.result) + QStringLiteral("</td>"));
}

void ResultsRun::refuseSharedNumbers(const std::vector<std::vector<TeamRow>> &teamsOfGroups)
{
    // The calculation and the team pages find a team by its number: two teams
    // sharing one would both show the first one's punches, on one page. A team
    // without a number (none stored, 0, or no number at all) has no page of its
    // own either: it would be teamresult_0.htm, shared with every such team.
    const QHash<qint64, std::vector<NumberSharer>> sharedNumbers = SharedTeamNumbers(m_context.connection);

    QStringList unnumbered;
    std::optional<qint64> firstShared;
    for (const std::vector<TeamRow> &teams : teamsOfGroups)
        for (const TeamRow &team : teams) {
            if (team.number == 0)
                unnumbered.append(u'"' + team.name + u'"');
            else if (!firstShared && sharedNumbers.contains(team.number))
                firstShared = team.number;
        }
    if (!unnumbered.isEmpty())
        throw KorventError(CountText("Reports", "%n team without a number: %1.", "%n teams without a number: %1.", unnumbered.size())
                               .arg(unnumbered.join(QStringLiteral(", ")))
                           + u' '
                           + Texts::tr("Splits and team pages need each team's own number: number the teams (the teams window's "
                                "\"Number teams\", or korvent-cli --event DIR teams number) and publish the results again."));
    if (firstShared) {
        QStringList names;
        for (const NumberSharer &team : sharedNumbers.value(*firstShared))
            names.append(u'"' + team.name + u'"');
        throw KorventError(Texts::tr("Team number %1 is shared by %2: their splits and team pages cannot be told apart. "
                              "Give each team its own number and publish the results again.")
                               .arg(*firstShared)
                               .arg(names.join(QStringLiteral(", "))));
    }
}

QSet<qint64> ResultsRun::teamsSharingNumbers(const std::vector<std::vector<TeamRow>> &teamsOfGroups)
{
    const QHash<qint64, std::vector<NumberSharer>> shared = SharedTeamNumbers(m_context.connection);
    QSet<qint64> teams;
    for (const std::vector<TeamRow> &group : teamsOfGroups)
        for (const TeamRow &team : group)
            if (team.number == 0 || shared.contains(team.number))
                teams.insert(team.id);
    return teams;
}

const tResArray *ResultsRun::punchList(const TeamRow &team)
{
    // By id: a team listed without a page of its own may share its number.
    if (!m_live.cache)
        return m_calculation->CalculateTeamWithId(team.id, false, m_list) ? &m_list : nullptr;
    TeamWorkCache::Team &kept = m_live.cache->teams[team.id];
    if (!kept.listed)
        kept.listed = m_calculation->CalculateTeamWithId(team.id, false, kept.list);
    return *kept.listed ? &kept.list : nullptr;
}

void ResultsRun::courseCell(const TeamRow &team)
{
    std::optional<QStringList> *kept = m_live.cache ? &m_live.cache->teams[team.id].courseCell : nullptr;
    if (kept && *kept) {
        for (const QString &line : **kept)
            m_page.append(line);
        return;
    }
    const qsizetype first = m_page.lines().size();
    writeCourseCell(team);
    if (kept)
        *kept = m_page.lines().mid(first);
}

void ResultsRun::writeCourseCell(const TeamRow &team)
{
    m_page.append(QStringLiteral("<td>"));
    if (const tResArray *list = punchList(team)) {
        m_page.append(QStringLiteral("<table border=\"0\" class=\"css_splits\"><tr>"));
        CourseLegs legs(m_calculation->course());
        const QLocale locale = QLocale::system();
        m_page.append(QStringLiteral("<td><b>") + Html(legs.start().label) + QStringLiteral("</b><br />")
                      + locale.toString(DateTime::datePart(team.start), Platform::shortDateFormat()) + QStringLiteral("<br />")
                      + DateTimeText(false, team.start) + QStringLiteral("</td>"));
        SerialDateTime previousTime = team.start;
        for (const tControlRes &entry : *list) {
            if (!m_live.cache)
                m_checks.push_back({team.number, entry.code, entry.time});
            const CourseLeg leg = legs.next(entry.code);
            m_page.append(QStringLiteral("<td><b>") + Html(leg.label) + QStringLiteral("</b><br />"));
            const bool manual = entry.status == PunchMan;
            if (manual)
                previousTime = 0;
            m_page.append(manual ? QStringLiteral("--<br />") : DateTimeText(false, entry.time) + QStringLiteral("<br />"));
            m_page.append(previousTime != 0 ? FormatSeconds(SecondsBetween(entry.time, previousTime)) + QStringLiteral("<br />")
                                            : QStringLiteral("--<br />"));
            previousTime = manual ? 0 : entry.time;
            m_page.append(PunchMark(entry, leg.points, QString::number(leg.points), m_settings.punchWindowSeconds));
            m_page.append(QStringLiteral("</td>"));
        }
        if (team.result >= 0 && team.calculated) {
            m_page.append(QStringLiteral("<td nowrap=nowrap>") + Texts::tr("On Course: ") + FormatSeconds(team.rtime - team.inCenter) + QStringLiteral("<br />"));
            if (team.inCenter > 0)
                m_page.append(Texts::tr("At admin.area: ") + FormatSeconds(team.inCenter) + QStringLiteral("<br />"));
            m_page.append(Texts::tr("Distance: ") + DistanceText(legs.total(), m_settings.mapScale) + QStringLiteral("km</td>"));
        }
        m_page.append(QStringLiteral("</tr></table>"));
    }
    m_page.append(QStringLiteral("</td>"));
}

void ResultsRun::teamPage(const TeamRow &team, const std::vector<ResultRunner> &runners, const QString &placeText, const QString &subClassText)
{
    const TeamPageContext context{m_settings, m_countries, m_calculation->course(), m_teamHeader, m_routeBase ? &*m_routeBase : nullptr};
    const tResArray *list = punchList(team);
    QStringList why;
    if (list) {
        std::optional<QStringList> *kept = m_live.cache ? &m_live.cache->teams[team.id].why : nullptr;
        if (kept && *kept)
            why = **kept;
        else
            why = ExplainTeamResult(*m_calculation, m_context.connection, m_correctionLog, team.number, ExplanationReader::Team).lines;
        if (kept)
            *kept = why;
    }
    const TeamResultPage page = WriteTeamResultPage(context, team, runners, placeText, subClassText, list, why);
    const QString number = QString::number(team.number);
    m_context.output.write({ReportFolder::Web, QStringLiteral("teamresult_") + number + QStringLiteral(".htm")}, ReportPageBytes(page.lines));
    if (page.route && (!m_live.maps || m_live.maps->contains(team.number)))
        m_maps.add({ReportFolder::Web, QStringLiteral("map_") + number + QStringLiteral(".gif")}, *page.route);
}

} // namespace

std::optional<ReportFile> ResultsReport(const ReportContext &context, ResultsVariant variant, const ReportRequest &request)
{
    return ResultsRun(context, variant, request).run();
}

std::optional<ReportFile> ResultsReport(const ReportContext &context, ResultsVariant variant, const ReportRequest &request,
                                        const LiveResultsChoice &live)
{
    return ResultsRun(context, variant, request, live).run();
}
