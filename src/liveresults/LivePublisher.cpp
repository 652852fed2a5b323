#include "liveresults/LivePublisher.h"

#include "liveresults/LivePageFrame.h"
#include "liveresults/LiveResultsJson.h"

#include "base/KorventError.h"
#include "base/MessageSink.h"
#include "base/Platform.h"
#include "db/CommitFlushing.h"
#include "db/Connection.h"
#include "db/ReadSnapshot.h"
#include "output/ReportContext.h"
#include "reports/ClassGroup.h"
#include "reports/ClassPlaces.h"
#include "reports/ResultsReport.h"
#include "scoring/TeamCalculation.h"
#include "store/DateTime.h"
#include "store/EventSetup.h"
#include "store/TeamRow.h"
#include "store/uData.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QScopeGuard>
#include <QSqlQuery>

#include <algorithm>
#include <functional>
#include <optional>
#include <utility>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(LiveResults)
};

const QByteArray htmlType = QByteArrayLiteral("text/html; charset=utf-8");
const QByteArray jsonType = QByteArrayLiteral("application/json");
const QByteArray cssType = QByteArrayLiteral("text/css; charset=utf-8");
const QByteArray gifType = QByteArrayLiteral("image/gif");

QString teamPath(qint64 number)
{
    return QStringLiteral("/api/team/") + QString::number(number);
}

// The team number of a team page or route map path ("/teamresult_12.htm", "/map_12.gif").
std::optional<qint64> teamOfPage(const QString &path)
{
    for (const auto &[prefix, suffix] : {std::pair{QLatin1String("/teamresult_"), QLatin1String(".htm")}, std::pair{QLatin1String("/map_"), QLatin1String(".gif")}})
        if (path.startsWith(prefix) && path.endsWith(suffix)) {
            bool number = false;
            const qint64 value = path.mid(prefix.size(), path.size() - prefix.size() - suffix.size()).toLongLong(&number);
            if (number)
                return value;
        }
    return std::nullopt;
}

// The style sheets the web results take: the organiser's, else the program's.
QStringList reportStyleSheets(const EventLocation &location)
{
    return {location.eventDirectory + QStringLiteral("web/style.css"), location.program.file(QStringLiteral("style.css"))};
}

// The first of them that can be read; none when neither can.
std::optional<QByteArray> reportStyleSheet(const EventLocation &location)
{
    for (const QString &name : reportStyleSheets(location)) {
        QFile file(name);
        if (file.open(QIODevice::ReadOnly))
            return file.readAll();
    }
    return std::nullopt;
}

} // namespace

// What one build produces: every path with its content before framing.
struct LivePublisher::Build
{
    struct Item
    {
        QByteArray content;
        QByteArray type;
        bool page = false;
        unsigned status = 200;
    };
    QHash<QString, Item> items;
    QHash<QString, QSet<QString>> pathsOfClass;
    QStringList problems;

    void add(const QString &className, const QString &path, const QByteArray &content, const QByteArray &type, bool page, unsigned status = 200)
    {
        items.insert(path, Item{content, type, page, status});
        if (!className.isEmpty())
            pathsOfClass[className].insert(path);
    }
};

LivePublisher::LivePublisher(const EventLocation &location, const SharedEventSetup &setup, LiveSite &site, std::function<void(const QString &)> report)
    : m_location(location)
    , m_setup(setup)
    , m_site(site)
    , m_report(std::move(report))
{
}

LivePublisher::~LivePublisher()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void LivePublisher::start()
{
    m_thread = std::thread([this] { run(); });
}

void LivePublisher::teamsChanged(const QList<qint64> &teamIds)
{
    {
        const std::lock_guard lock(m_mutex);
        for (const qint64 id : teamIds)
            m_told.insert(id);
    }
    m_wake.notify_all();
}

QString LivePublisher::problem() const
{
    QMutexLocker lock(&m_problemLock);
    return m_problem;
}

void LivePublisher::setProblem(const QString &problem)
{
    {
        QMutexLocker lock(&m_problemLock);
        if (problem == m_problem)
            return;
        m_problem = problem;
    }
    // Told once, not at every build that meets it again.
    if (!problem.isEmpty() && m_report)
        m_report(problem);
}

void LivePublisher::run()
{
    // Reading work: the stations and the window come first; its builds are
    // spaced by their own processor time (below), which bounds its share.
    Platform::backgroundThreadPriority();
    std::unique_ptr<TdmData> data;
    std::unique_lock lock(m_mutex);
    while (!m_stop) {
        // A build takes the processor from the stations' threads (and, on a
        // shared core, slows them however idle its priority): builds are
        // spaced by their own processor time too, so that publishing takes
        // at most about half a core however fast readouts come. Its time
        // waiting for the processor, while the stations have it, counts not.
        const qint64 spacing = std::max<qint64>(buildSpacingMs, buildSpacingFactor * m_lastBuildMs);
        if (m_sinceBuild.isValid() && m_sinceBuild.elapsed() < spacing) {
            m_wake.wait_for(lock, std::chrono::milliseconds(spacing - m_sinceBuild.elapsed()), [this] { return m_stop; });
            continue;
        }
        QSet<qint64> told = std::exchange(m_told, {});
        lock.unlock();
        try {
            if (!data)
                data = std::make_unique<TdmData>(m_location.eventDirectory);
            // A build reads the event as it was at one moment: every page of it agrees
            // with every other, and writers go on beside it.
            const db::ReadSnapshot snapshot(data->connection());
            cycle(*data, told);
        } catch (const KorventError &error) {
            // Tried again on the next round; what was published stays.
            setProblem(error.message());
        }
        lock.lock();
        m_wake.wait_for(lock, std::chrono::milliseconds(pollMs), [this] { return m_stop || !m_told.isEmpty(); });
    }
}

void LivePublisher::cycle(TdmData &data, const QSet<qint64> &told)
{
    db::Connection &connection = data.connection();
    const std::shared_ptr<const EventSetup> setup = m_setup.snapshot();
    bool full = !m_builtSetup || setup != m_builtSetup;
    QSet<qint64> changed = told;
    // Taken before the reads: a commit after it shows on the next round.
    const qint64 version = db::CommittedChangesMark(connection);
    // While this process's readouts stream in, they are told: the look for
    // other programs' changes, which reads every team, waits longer then.
    if (!told.isEmpty())
        m_sinceTold.start();
    const bool readoutsStream = m_sinceTold.isValid() && m_sinceTold.elapsed() < scanMs;
    const qint64 scanSpacing = std::max<qint64>(readoutsStream ? busyScanMs : scanMs, scanSpacingFactor * m_lastScanMs);
    if (full || (version != m_dataVersion && (!m_sinceScan.isValid() || m_sinceScan.elapsed() >= scanSpacing))) {
        m_dataVersion = version;
        m_sinceScan.start();
        const QString course = ReadCourseState(connection);
        full = full || course != m_course;
        m_course = course;
        QHash<qint64, TeamState> teams = ReadTeamStates(connection);
        for (auto it = teams.cbegin(); it != teams.cend(); ++it)
            if (m_teams.value(it.key()).text != it->text)
                changed.insert(it.key());
        for (auto it = m_teams.cbegin(); it != m_teams.cend(); ++it)
            if (!teams.contains(it.key()))
                changed.insert(it.key());
        m_teams = std::move(teams);
        m_lastScanMs = m_sinceScan.elapsed();
    }
    if (full) {
        build(data, setup, nullptr, {}, true);
        m_builtSetup = setup;
        return;
    }
    const bool settleNow = !m_unsettled.isEmpty() && m_sinceUnsettled.elapsed() >= settleLatestMs;
    if (changed.isEmpty()) {
        if (!m_unsettled.isEmpty() && (settleNow || m_sinceBuild.elapsed() >= settleQuietMs)) {
            const QSet<QString> classes = m_unsettled;
            build(data, setup, &classes, {}, true);
        }
        return;
    }

    // The classes the teams were in and are in now, and the teams whose route maps change.
    QSet<QString> teamClasses;
    QSqlQuery now = connection.prepare(QStringLiteral("SELECT class FROM team WHERE id=?"));
    for (const qint64 id : std::as_const(changed)) {
        if (m_mainClassOfTeam.contains(id))
            teamClasses.insert(m_mainClassOfTeam.value(id));
        connection.exec(now, {id});
        if (now.next())
            teamClasses.insert(u'\x1f' + now.value(0).toString());
        else
            m_mainClassOfTeam.remove(id); // deleted: its class is built once more without it
        now.finish();
    }
    if (settleNow)
        teamClasses += m_unsettled;
    build(data, setup, &teamClasses, changed, settleNow);
}

void LivePublisher::build(TdmData &data, const std::shared_ptr<const EventSetup> &setup, const QSet<QString> *classes, const QSet<qint64> &changedTeams,
                          bool allTeamPages)
{
    if (!classes) {
        m_teamDetails.clear();
        m_teamDocuments.clear();
        m_teamWork.teams.clear();
    }
    for (const qint64 id : changedTeams) {
        m_teamDetails.remove(id);
        m_teamDocuments.remove(id);
        m_teamWork.teams.remove(id);
    }
    m_sinceBuild.start();
    const qint64 processorBefore = Platform::threadProcessorMs();
    const auto timeBuild = qScopeGuard([this, processorBefore] { m_lastBuildMs = Platform::threadProcessorMs() - processorBefore; });
    db::Connection &connection = data.connection();
    // The pages come without the organiser's header template: the live site gives its own head.
    EventSetup pageSetup = *setup;
    pageSetup.settings.resultHeader = QStringLiteral("NON");
    const QString eventName = setup->settings.eventName;
    Build result;

    // Every main class with its group; the main class of every team class.
    std::vector<ClassGroup> groups;
    QHash<QString, QString> mainClassOf;
    for (const QString &name : MainClassNames(setup->classTree)) {
        try {
            groups.push_back(BuildClassGroup(setup->classTree, name, setup->settings.extraClasses));
            for (const QString &teamClass : std::as_const(groups.back().sqlClasses))
                if (!mainClassOf.contains(teamClass))
                    mainClassOf.insert(teamClass, name);
        } catch (const KorventError &error) {
            result.problems.append(error.message());
        }
    }
    // A number that came to be shared, or is no longer, changes what its
    // teams' classes publish: those are built too.
    // Teams of each number: a page is a number's one team's, and goes when
    // the number is shared or no team has it any more.
    QHash<qint64, int> teamsOfNumber;
    {
        QSqlQuery numbers = connection.exec(QStringLiteral("SELECT number, COUNT(*) FROM team GROUP BY number"));
        while (numbers.next())
            teamsOfNumber.insert(numbers.value(0).toLongLong(), numbers.value(1).toInt());
    }
    QSet<qint64> sharedNumbers;
    for (auto it = teamsOfNumber.cbegin(); it != teamsOfNumber.cend(); ++it)
        if (it.value() > 1 && it.key() != 0)
            sharedNumbers.insert(it.key());
    const QSet<qint64> noLongerShared = m_sharedNumbers - sharedNumbers;
    QSet<QString> classesToBuild;
    if (classes) {
        classesToBuild = *classes;
        QSqlQuery classOf = connection.prepare(QStringLiteral("SELECT class FROM team WHERE number=?"));
        for (const qint64 number : (sharedNumbers - m_sharedNumbers) + noLongerShared) {
            connection.exec(classOf, {number});
            while (classOf.next())
                classesToBuild.insert(u'\x1f' + classOf.value(0).toString());
            classOf.finish();
        }
        classes = &classesToBuild;
    }
    m_sharedNumbers = sharedNumbers;

    // The changed teams' route maps are drawn again, by number.
    QSet<qint64> mapTeams;
    if (classes) {
        QSqlQuery numbers = connection.prepare(QStringLiteral("SELECT number FROM team WHERE id=?"));
        for (const qint64 id : changedTeams) {
            connection.exec(numbers, {id});
            if (numbers.next())
                mapTeams.insert(numbers.value(0).toLongLong());
            numbers.finish();
        }
    }
    QStringList toBuild;
    for (const ClassGroup &group : groups)
        if (!classes || classes->contains(group.className) || std::any_of(group.sqlClasses.cbegin(), group.sqlClasses.cend(), [&](const QString &teamClass) {
                return classes->contains(u'\x1f' + teamClass) && mainClassOf.value(teamClass) == group.className;
            }))
            toBuild.append(group.className);

    // The pages, from the report generators: the web results with the team
    // pages and route maps, and the splits.
    const auto generate = [&](ResultsVariant variant, const QStringList &names, ReportFolder from, const QString &prefix) {
        MemoryReportOutput output;
        const ReportContext context{connection, pageSetup, output, nullptr, m_location.eventDirectory, &m_location, nullptr};
        const ReportRequest request{names, true, QString(), false, QString()};
        LiveResultsChoice choice;
        choice.uncalculatedTeams = true;
        choice.teamsWithoutPages = true;
        choice.cache = &m_teamWork;
        if (variant == ResultsVariant::Web && classes) {
            choice.pages = allTeamPages ? std::nullopt : std::optional<QSet<qint64>>(mapTeams);
            choice.maps = mapTeams;
        }
        ResultsReport(context, variant, request, choice);
        for (const ReportFile &file : output.files()) {
            const bool page = file.name.endsWith(QLatin1String(".htm"));
            if (file.folder != from || (!page && !file.name.endsWith(QLatin1String(".gif"))))
                continue;
            // A class page belongs to its class; team pages and maps to the class of their team, below.
            QString owner;
            for (const QString &name : names)
                if (file.name == QStringLiteral("results") + name + QStringLiteral(".htm"))
                    owner = name;
            result.add(owner, prefix + file.name, output.bytes(file), page ? htmlType : gifType, page);
        }
    };
    // All classes at once (the course picture is drawn once); when that is
    // refused, class by class, so that only the refusing classes go without.
    const auto eachClass = [&](ResultsVariant variant, ReportFolder from, const QString &prefix) {
        QStringList refused;
        try {
            generate(variant, toBuild, from, prefix);
            return refused;
        } catch (const KorventError &) {
        }
        for (const QString &name : std::as_const(toBuild)) {
            try {
                generate(variant, {name}, from, prefix);
            } catch (const KorventError &error) {
                refused.append(name);
                result.problems.append(name + QStringLiteral(": ") + error.message());
            }
        }
        return refused;
    };
    if (!toBuild.isEmpty()) {
        // A class the web results refuse is shown as the results table.
        const QStringList refused = eachClass(ResultsVariant::Web, ReportFolder::Web, QStringLiteral("/"));
        for (const QString &name : std::as_const(toBuild))
            m_classesWithoutPage.remove(name);
        for (const QString &name : refused) {
            try {
                generate(ResultsVariant::Table, {name}, ReportFolder::Results, QStringLiteral("/"));
            } catch (const KorventError &error) {
                result.problems.append(name + QStringLiteral(": ") + error.message());
                m_classesWithoutPage.insert(name);
            }
        }
    }

    // The JSON documents: every class for the results, the built classes' teams one by one.
    SilentMessages silent;
    TeamCalculation calculation(connection, setup, silent);
    calculation.LoadCourseDefinition(); // a few small tables
    QSqlQuery runners = connection.prepare(QStringLiteral(
        "SELECT firstname, lastname, sex, country, (SELECT MAX(ctime) FROM res_cp WHERE runner_id=runner.id AND KP='F'), started "
        "FROM runner WHERE team_id=? ORDER BY id"));
    std::vector<LiveClassTeams> allClasses;
    QHash<qint64, QJsonArray> teamsSharing; // the listed teams of each shared number
    for (const ClassGroup &group : groups) {
        allClasses.push_back({group.className, ClassResultTeams(connection, group, true)});
        const bool built = toBuild.contains(group.className);
        ClassPlaces places;
        for (const TeamRow &team : allClasses.back().teams) {
            const std::optional<int> place = places.next(team);
            if (sharedNumbers.contains(team.number))
                teamsSharing[team.number].append(TeamJson(team, place));
            if (!built)
                continue;
            m_mainClassOfTeam.insert(team.id, group.className);
            if (team.number == 0 || teamsOfNumber.value(team.number) != 1)
                continue; // a number shared, or none: no document of its own
            const QString number = QString::number(team.number);
            // The team's page and route map go with its class.
            for (const QString &path : QStringList{QStringLiteral("/teamresult_") + number + QStringLiteral(".htm"), QStringLiteral("/map_") + number + QStringLiteral(".gif")})
                if (result.items.contains(path))
                    result.pathsOfClass[group.className].insert(path);
            // Runners and punches are read again only for a team that changed: its place may change with any team of its class.
            if (!m_teamDetails.contains(team.id)) {
                std::vector<LiveRunner> members;
                connection.exec(runners, {team.id});
                while (runners.next()) {
                    LiveRunner runner{runners.value(0).toString(), runners.value(1).toString(), runners.value(2).toString(),
                                      runners.value(3).toString(), std::nullopt, runners.value(5).toBool()};
                    if (!runners.value(4).isNull())
                        runner.finish = DateTime::fromStored(runners.value(4));
                    members.push_back(std::move(runner));
                }
                runners.finish();
                // The punch list the pages of this build worked out, when they did.
                TeamWorkCache::Team &kept = m_teamWork.teams[team.id];
                if (!kept.listed)
                    kept.listed = calculation.CalculateTeam(team.number, false, kept.list);
                m_teamDetails.insert(team.id, TeamDetailsJson(members, *kept.listed ? &kept.list : nullptr, calculation.course()));
            }
            // Written again only when the team's row or place changed: a class's other teams mostly keep theirs.
            QJsonObject row = TeamJson(team, place);
            TeamDocument &document = m_teamDocuments[team.id];
            if (document.bytes.isEmpty() || document.row != row) {
                document.bytes = TeamJsonDocument(row, m_teamDetails.value(team.id));
                document.row = std::move(row);
            }
            result.add(group.className, teamPath(team.number), document.bytes, jsonType, false);
        }
    }
    result.add(QString(), QStringLiteral("/api/results"), ResultsJson(eventName, 0, allClasses), jsonType, false);
    if (!sharedNumbers.isEmpty()) {
        const QHash<qint64, std::vector<NumberSharer>> sharers = SharedTeamNumbers(connection);
        for (const qint64 number : std::as_const(sharedNumbers)) {
            QStringList names;
            for (const NumberSharer &team : sharers.value(number))
                names.append(u'"' + team.name + QStringLiteral("\" (") + team.className + u')');
            const QString error = Texts::tr("Team number %1 is shared by %2: each team's result is on its class page.")
                                      .arg(number)
                                      .arg(names.join(QStringLiteral(", ")));
            result.add(QString(), teamPath(number), SharedNumberJson(number, error, teamsSharing.value(number)), jsonType, false, 409);
            result.problems.append(error);
        }
    }

    // What changed so far is served at once; the splits, which take as long
    // again, follow.
    QList<LiveClassLinks> links;
    const auto publishChanges = [&](const QList<QString> &removed) {
        // Only what changed gets the new version: a page reloads when its own content changed.
        const quint64 version = m_version + 1;
        QHash<QString, std::shared_ptr<const LiveResource>> changed;
        for (auto it = result.items.cbegin(); it != result.items.cend(); ++it) {
            if (m_content.contains(it.key()) && m_content.value(it.key()) == it->content)
                continue;
            m_content.insert(it.key(), it->content);
            auto resource = std::make_shared<LiveResource>();
            resource->contentType = it->type;
            resource->version = version;
            resource->status = it->status;
            if (it.key() == QLatin1String("/"))
                resource->body = LiveIndexPage(eventName, links, version);
            else if (it.key() == QLatin1String("/api/results"))
                resource->body = ResultsJson(eventName, version, allClasses);
            else
                resource->body = it->page ? FramedPage(it->content, Texts::tr("Results") + u':' + eventName, eventName, version) : it->content;
            changed.insert(it.key(), std::move(resource));
        }
        if (changed.isEmpty() && removed.isEmpty())
            return;
        m_version = version;
        m_site.publish(changed, removed, version);
    };
    if (classes)
        publishChanges({});

    const QStringList withoutSplits =
        toBuild.isEmpty() ? QStringList() : eachClass(ResultsVariant::Splits, ReportFolder::Results, QStringLiteral("/splits/"));
    for (const ClassGroup &group : groups)
        links.append({group.className, !withoutSplits.contains(group.className), !m_classesWithoutPage.contains(group.className)});
    result.problems.removeDuplicates(); // a class refused by the web results and by the table says it twice
    result.add(QString(), QStringLiteral("/"), LiveIndexPage(eventName, links, 0), htmlType, false);
    if (!classes) {
        // Without one the pages still read; /style.css is not found rather than served empty.
        m_sheetProblem.clear();
        if (const std::optional<QByteArray> sheet = reportStyleSheet(m_location))
            result.add(QString(), QStringLiteral("/style.css"), *sheet, cssType, false);
        else
            m_sheetProblem = Texts::tr("The live pages go without a style sheet: neither %1 nor %2 can be read")
                                 .arg(reportStyleSheets(m_location).value(0), reportStyleSheets(m_location).value(1));
        result.add(QString(), QStringLiteral("/live.css"), LiveStyleSheet(), cssType, false);
    }

    if (!m_sheetProblem.isEmpty())
        result.problems.append(m_sheetProblem);
    const QString problem = result.problems.join(u'\n');

    // What a built class published before and not now (a team gone) goes; a
    // whole build leaves nothing of the last.
    QList<QString> removed;
    const auto drop = [&](const QString &path) {
        if (!result.items.contains(path) && m_content.remove(path))
            removed.append(path);
    };
    for (const qint64 number : noLongerShared)
        drop(teamPath(number));
    if (!classes) {
        for (const QString &path : m_content.keys())
            drop(path);
        m_pathsOfClass.clear();
    } else {
        // Team pages and maps not written again stay while their number is
        // still one team's: a team deleted, or its number now shared, loses them.
        for (const QString &name : std::as_const(toBuild))
            for (const QString &path : m_pathsOfClass.value(name)) {
                const std::optional<qint64> number = teamOfPage(path);
                if (!number || teamsOfNumber.value(*number) != 1)
                    drop(path);
            }
    }
    if (classes && !allTeamPages) {
        if (m_unsettled.isEmpty())
            m_sinceUnsettled.start();
        for (const QString &name : std::as_const(toBuild))
            m_unsettled.insert(name);
    } else {
        for (const QString &name : std::as_const(toBuild))
            m_unsettled.remove(name);
        if (!classes)
            m_unsettled.clear();
    }
    for (auto it = result.pathsOfClass.cbegin(); it != result.pathsOfClass.cend(); ++it)
        m_pathsOfClass[it.key()] += it.value();
    setProblem(problem);
    publishChanges(removed);
}
