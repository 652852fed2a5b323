#include "shell/EventGenerator.h"

#include "store/ClassTable.h"
#include "store/EventRecords.h"
#include "store/EventSettings.h"
#include "base/KorventError.h"
#include "store/StatusTexts.h"
#include "store/uData.h"

#include <QCoreApplication>
#include <algorithm>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// splitmix64: small, fast and the same on every platform.
class Random
{
public:
    explicit Random(quint64 seed) : m_state(seed) {}
    quint64 next()
    {
        quint64 z = (m_state += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
    // A whole number from low to high, both included.
    qint64 between(qint64 low, qint64 high) { return low + static_cast<qint64>(next() % static_cast<quint64>(high - low + 1)); }
    bool chance(int percent) { return between(1, 100) <= percent; }
    template <typename List>
    const auto &pick(const List &items) { return items[static_cast<qsizetype>(between(0, static_cast<qint64>(items.size()) - 1))]; }

private:
    quint64 m_state;
};

struct ClassPlan
{
    QString name;
    int startHour;
    int hours;
    int coursePercent; // share of the course a team of the class visits
};

const std::vector<ClassPlan> classPlans = {{QStringLiteral("R6"), 10, 6, 45},  {QStringLiteral("R12"), 10, 12, 75},
                                           {QStringLiteral("R3"), 11, 3, 25},  {QStringLiteral("R8"), 10, 8, 55},
                                           {QStringLiteral("R24"), 12, 24, 90}, {QStringLiteral("R4"), 11, 4, 30}};
const QStringList firstNames = {u"Anna"_s, u"Mari"_s, u"Liis"_s, u"Kadri"_s, u"Eva"_s, u"Jaan"_s, u"Peeter"_s, u"Mart"_s, u"Tanel"_s, u"Rein"_s,
                               u"Laura"_s, u"Maria"_s, u"Karl"_s, u"Oskar"_s, u"Hanna"_s, u"Mikk"_s, u"Kristi"_s, u"Toomas"_s, u"Siim"_s, u"Epp"_s};
const QStringList lastNames = {u"Tamm"_s, u"Saar"_s, u"Sepp"_s, u"Mägi"_s, u"Kask"_s, u"Kukk"_s, u"Rebane"_s, u"Ilves"_s, u"Pärn"_s, u"Koppel"_s,
                              u"Lepp"_s, u"Vaher"_s, u"Kuusk"_s, u"Ots"_s, u"Raud"_s, u"Kivi"_s, u"Lill"_s, u"Org"_s, u"Paju"_s, u"Männik"_s};
const QStringList teamWords = {u"Fox"_s, u"Owl"_s, u"Lynx"_s, u"Bear"_s, u"Hare"_s, u"Elk"_s, u"Wolf"_s, u"Crane"_s, u"Badger"_s, u"Otter"_s};
const QStringList clubs = {u"OK Ilves"_s, u"Rakvere OK"_s, u"Kobras"_s, u"Tartu SK"_s, u"Lehola"_s, u"Orienteerumisklubi Peko"_s};
const QStringList countries = {u"EST"_s, u"LAT"_s, u"LTU"_s, u"FIN"_s, u"SWE"_s};

constexpr double secondDays = 1.0 / 86'400.0;

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(EventGenerator)
};

void writeSettingsAndClasses(const QString &eventDirectory, const QDate &day, const GeneratorOptions &options)
{
    EventSettings::update(eventDirectory, [&](EventSettings &settings) {
        settings.eventName = QStringLiteral("Demo Rogaine");
        settings.headingDate = day.toString(QStringLiteral("d MMMM yyyy"));
        settings.organiser = QStringLiteral("Korvent demo club");
        settings.eventArea = QStringLiteral("Forest of Examples");
        settings.eventDate = QDateTime(day, QTime(0, 0));
        settings.firstStart = std::chrono::hours(10);
        settings.sunrise = std::chrono::hours(4) + std::chrono::minutes(30);
        settings.sunset = std::chrono::hours(22) + std::chrono::minutes(10);
        settings.controlCard = EventSettings::CardPerRunner;
        settings.punchWindowSeconds = 120;
        settings.penaltyPoints = -10;
        settings.penaltySpanSeconds = 60;
        settings.extraClasses = QStringLiteral("MV;WV");
        if (!options.resultHeader.isEmpty())
            settings.resultHeader = options.resultHeader;
        settings.showCountry = true;
    });

    ClassTree tree;
    for (const ClassPlan &plan : std::vector<ClassPlan>(classPlans.begin(), classPlans.begin() + options.classes)) {
        tree.push_back({MainClassNodeText(plan.name, QStringLiteral("%1:00:00").arg(plan.startHour, 2, 10, QLatin1Char('0')),
                                          QStringLiteral("%1:00:00").arg(plan.hours, 3, 10, QLatin1Char('0')), QStringLiteral("00:30:00")),
                        0});
        tree.push_back({plan.name + QStringLiteral("V"), 1});
    }
    EventRecords(eventDirectory).saveClassTree(SortedClassTree(tree));
}

} // namespace

GeneratedEvent GenerateEvent(TdmData &data, const QString &eventDirectory, const GeneratorOptions &options)
{
    if (options.teams < 1 || options.controls < 1 || options.minRunners < 1 || options.maxRunners < options.minRunners
        || options.visits < 0 || options.classes < 1 || options.classes > static_cast<int>(classPlans.size()))
        throw KorventError(Texts::tr("Generator options out of range: teams, controls and runners must be at least 1, runners MIN-MAX ordered, "
                              "classes 1 to %1").arg(classPlans.size()));
    // Checked inside the transaction: two generators started at once would
    // otherwise both find the event empty and mix two events.
    db::Connection &connection = data.connection();
    db::Transaction transaction(connection);
    for (const char *table : {"team", "runner", "control", "res_cp", "extrapoint"})
        if (data.rowCount(QString::fromLatin1(table)) > 0)
            throw KorventError(Texts::tr("The event already has data in table %1; generate into an empty event only").arg(QString::fromLatin1(table)));

    Random random(options.seed);
    const QDate day(2026, 6, 13);
    const SerialDateTime eventDay = DateTime::fromDateAndTime(day, QTime(0, 0));
    writeSettingsAndClasses(eventDirectory, day, options);

    GeneratedEvent generated;

    // The course: scoring controls around a centre with start, finish, check-in and check-out.
    struct Control { QString code; qint64 points; };
    std::vector<Control> course;
    QSqlQuery insertControl = connection.prepare(QStringLiteral(
        "INSERT INTO control (controlnr, unitnumber, points, type, pos_x, pos_y, text) VALUES (?, ?, ?, ?, ?, ?, ?)"));
    for (int i = 0; i < options.controls; ++i) {
        const int code = (options.controls <= 69 ? 31 : 100) + i;
        const qint64 points = 10 * (1 + i * 9 / qMax(1, options.controls - 1));
        connection.exec(insertControl, {QString::number(code), code, points, QStringLiteral("C"), random.between(0, 6000),
                                        random.between(0, 4500), QString()});
        course.push_back({QString::number(code), points});
    }
    const struct { const char *code; int unit; const char *text; } specials[] = {
        {"S", 250, "Start"}, {"F", 251, "Finish"}, {"I", 252, "Check-in"}, {"O", 253, "Check-out"}};
    for (const auto &special : specials)
        connection.exec(insertControl, {QString::fromLatin1(special.code), special.unit, 0, QString::fromLatin1(special.code),
                                        3000 + random.between(-50, 50), 2250 + random.between(-50, 50), QString::fromLatin1(special.text)});
    generated.controls = options.controls;

    QSqlQuery insertRule = connection.prepare(QStringLiteral("INSERT INTO extrapoint (\"from\", \"to\", points) VALUES (?, ?, ?)"));
    for (int rule = 0; rule < qMin(3, options.controls / 2); ++rule)
        connection.exec(insertRule, {course[static_cast<size_t>(2 * rule)].code.toInt(), course[static_cast<size_t>(2 * rule + 1)].code.toInt(),
                                     5 * (rule + 1)});

    QSqlQuery insertTeam = connection.prepareInsert(QStringLiteral(
        "INSERT INTO team (number, name, club, country, class, subclass, entrydate, status) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"));
    QSqlQuery insertRunner = connection.prepareInsert(QStringLiteral(
        "INSERT INTO runner (team_id, firstname, lastname, club, country, birthdate, chipnr, rentchip, sex, started) "
        "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    QSqlQuery insertPunch = connection.prepare(QStringLiteral(
        "INSERT INTO res_cp (team_id, runner_id, count, KP, status, ctime) VALUES (?, ?, ?, ?, ?, ?)"));
    int chip = 100'000;

    for (int number = 1; number <= options.teams; ++number) {
        // Two classes draw as they always did, so that a seed gives the same event as before.
        const ClassPlan &plan = options.classes == 2 ? (random.chance(60) ? classPlans[0] : classPlans[1])
                                                     : classPlans[static_cast<size_t>(random.between(0, options.classes - 1))];
        const QString club = random.pick(clubs);
        const QString country = random.pick(countries);
        connection.exec(insertTeam, {number, QStringLiteral("%1 %2 %3").arg(random.pick(teamWords), random.pick(teamWords)).arg(number),
                                     club, country, plan.name, random.chance(20) ? QVariant(QStringLiteral("MV")) : QVariant(),
                                     DateTime::toStored(eventDay - random.between(5, 60)), TeamNew});
        const qint64 teamId = connection.insertedId(insertTeam);
        ++generated.teams;

        struct Member { qint64 id; bool started; };
        std::vector<Member> members;
        const int size = static_cast<int>(random.between(options.minRunners, options.maxRunners));
        for (int m = 0; m < size; ++m) {
            const bool started = !random.chance(3);
            connection.exec(insertRunner, {teamId, random.pick(firstNames), random.pick(lastNames), club, country,
                                           QStringLiteral("%1-%2-%3").arg(random.between(1955, 2010)).arg(random.between(1, 12), 2, 10, QLatin1Char('0')).arg(random.between(1, 28), 2, 10, QLatin1Char('0')),
                                           QString::number(++chip), random.chance(15) ? 1 : 0,
                                           random.chance(50) ? QStringLiteral("M") : QStringLiteral("W"), started ? 1 : 0});
            members.push_back({connection.insertedId(insertRunner), started});
            ++generated.runners;
        }
        std::vector<Member> runners;
        std::copy_if(members.begin(), members.end(), std::back_inserter(runners), [](const Member &m) { return m.started; });
        if (runners.empty())
            continue; // nobody started: a team without punches

        auto punch = [&](const Member &runner, const QString &code, qint64 points, SerialDateTime time, int status) {
            connection.exec(insertPunch, {teamId, runner.id, points, code, status, DateTime::toStored(time)});
            ++generated.punches;
        };

        // The route: a random order of a share of the course, legs spread over the race.
        std::vector<size_t> order(course.size());
        for (size_t i = 0; i < order.size(); ++i)
            order[i] = i;
        for (size_t i = order.size(); i > 1; --i)
            std::swap(order[i - 1], order[static_cast<size_t>(random.between(0, static_cast<qint64>(i) - 1))]);
        const size_t visits = qMin(order.size(), static_cast<size_t>(options.visits > 0 ? options.visits
                                                                                        : qMax(1, options.controls * plan.coursePercent / 100)));
        const SerialDateTime start = eventDay + plan.startHour / 24.0;
        qint64 raceSeconds = plan.hours * 3600 - random.between(0, 45 * 60);
        if (random.chance(10))
            raceSeconds = plan.hours * 3600 + random.between(1, 30 * 60); // in the penalty time
        else if (random.chance(3))
            raceSeconds = plan.hours * 3600 + random.between(31 * 60, 90 * 60); // late
        const qint64 legSeconds = raceSeconds / static_cast<qint64>(visits + 1);
        const bool visitsCentre = random.chance(20) && visits > 2;

        SerialDateTime at = start;
        const SerialDateTime lastVisit = start + (raceSeconds - 120) * secondDays;
        for (size_t v = 0; v < visits; ++v) {
            at = qMin(lastVisit, at + (legSeconds + random.between(-legSeconds / 4, legSeconds / 4)) * secondDays);
            const Control &control = course[order[v]];
            const size_t missing = random.chance(3) ? static_cast<size_t>(random.between(0, static_cast<qint64>(runners.size()) - 1)) : runners.size();
            const size_t apart = random.chance(5) ? static_cast<size_t>(random.between(0, static_cast<qint64>(runners.size()) - 1)) : runners.size();
            for (size_t r = 0; r < runners.size(); ++r) {
                if (r == missing && runners.size() > 1)
                    continue;
                const qint64 offset = r == apart ? random.between(130, 400) : random.between(0, 40);
                punch(runners[r], control.code, control.points, at + offset * secondDays, PunchReadOK);
                if (random.chance(3)) // punched twice: right after, or on a later pass
                    punch(runners[r], control.code, control.points, at + (offset + (random.chance(50) ? random.between(3, 20) : random.between(400, 900))) * secondDays, PunchReadOK);
            }
            if (random.chance(2))
                punch(runners[0], QStringLiteral("?"), 0, at + random.between(60, 600) * secondDays, PunchUnknown);
            if (visitsCentre && v == visits / 2) {
                // A rest in the centre between this control and the next.
                const SerialDateTime checkIn = at + random.between(60, 120) * secondDays;
                const SerialDateTime checkOut = checkIn + random.between(120, qMax<qint64>(121, legSeconds / 2)) * secondDays;
                for (const Member &runner : runners) {
                    punch(runner, QStringLiteral("I"), 0, checkIn + random.between(0, 20) * secondDays, PunchReadOK);
                    punch(runner, QStringLiteral("O"), 0, checkOut + random.between(0, 20) * secondDays, PunchReadOK);
                }
            }
        }
        if (random.chance(3))
            continue; // no finish read
        const SerialDateTime finish = start + raceSeconds * secondDays;
        const size_t withoutFinish = random.chance(3) ? 0 : runners.size();
        for (size_t r = 0; r < runners.size(); ++r)
            if (r != withoutFinish || runners.size() == 1)
                punch(runners[r], QStringLiteral("F"), 0, finish + random.between(0, 15) * secondDays, PunchReadOK);
    }
    transaction.commit();
    return generated;
}
