// The IOF XML 3.0 result list: one ClassResult per class, one TeamResult per
// calculated team, the runners as members with person data only, and a last
// member "TEAMTOTAL" that carries the team's result, splits and chip.

#include "exports/IofExport.h"
#include "exports/IofExportRun.h"
#include "exports/IofFormats.h"
#include "exports/IofResultRows.h"
#include "exports/IofStatusWord.h"

#include "base/KorventError.h"
#include "base/Platform.h"
#include "store/EventSetup.h"
#include "store/StatusTexts.h"
#include "store/TextHelpers.h"
#include "store/TimeHelpers.h"

#include <QCoreApplication>
#include <QTime>

namespace {

const QString iof3Namespace = QStringLiteral("http://www.orienteering.org/datastandard/3.0");

// The status attribute of a split by its punch status, and whether its time is written.
struct SplitStatus
{
    const char *word; // nullptr: no attribute
    bool withTime;
};

SplitStatus splitStatus(int punchStatus)
{
    switch (punchStatus) {
    case 0:
        return {"Additional", false};
    case PunchOK:
        return {"OK", true};
    case PunchMan:
        return {"OK", false};
    case PunchOverInterval:
        return {"Missing", false};
    case PunchMissing:
        return {"Additional", true};
    case PunchUnknown:
        return {"Additional", false};
    }
    return {nullptr, false};
}

void appendStartTime(const XmlElement &parent, const EventSettings &settings)
{
    // Read first: a start time setup.ini holds and nothing could read is refused, never written as text.
    (void)*settings.firstStart;
    const QString firstStart = SettingText(settings, SettingOf(&EventSettings::firstStart));
    const XmlElement startTime = parent.appendElement(QStringLiteral("StartTime"));
    startTime.appendTextElement(QStringLiteral("Date"), IsoDateText(settings.eventDate->date()));
    startTime.appendTextElement(QStringLiteral("Time"), firstStart);
}

void appendPersonName(const XmlElement &person, const QString &family, const QString &given)
{
    const XmlElement name = person.appendElement(QStringLiteral("Name"));
    name.appendTextElement(QStringLiteral("Family"), family);
    name.appendTextElement(QStringLiteral("Given"), given);
}

void appendEvent(const XmlElement &root, const EventSettings &settings)
{
    const XmlElement event = root.appendElement(QStringLiteral("Event"));
    event.appendTextElement(QStringLiteral("Name"), settings.eventName);
    appendStartTime(event, settings);
    event.appendTextElement(QStringLiteral("Form"), QStringLiteral("Team"));
    event.appendElement(QStringLiteral("Organiser")).appendTextElement(QStringLiteral("Name"), settings.organiser);

    const XmlElement race = event.appendElement(QStringLiteral("Race"));
    race.appendTextElement(QStringLiteral("RaceNumber"), QStringLiteral("1"));
    race.appendTextElement(QStringLiteral("Name"), settings.eventName);
    appendStartTime(race, settings);
    const QString &courseSetter = settings.courseSetter;
    if (!courseSetter.isEmpty()) {
        const XmlElement official = race.appendElement(QStringLiteral("Official"));
        official.setAttribute(QStringLiteral("type"), QStringLiteral("CourseSetter"));
        // Given name first: split at the first blank, the whole text is the family name without one.
        appendPersonName(official.appendElement(QStringLiteral("Person")), TextAfter(u' ', courseSetter), TextBefore(u' ', courseSetter));
    }
}

void appendTeamTotal(const XmlElement &teamResult, const TeamRow &team, const QString &chip, const std::optional<tResArray> &punches)
{
    const XmlElement member = teamResult.appendElement(QStringLiteral("TeamMemberResult"));
    appendPersonName(member.appendElement(QStringLiteral("Person")), QStringLiteral("TEAMTOTAL"), QString());
    const XmlElement result = member.appendElement(QStringLiteral("Result"));
    result.appendTextElement(QStringLiteral("StartTime"), IsoDateTimeText(team.start));
    result.appendTextElement(QStringLiteral("FinishTime"), IsoDateTimeText(team.finis));
    result.appendTextElement(QStringLiteral("Time"), QString::number(team.rtime));
    // A code of no TeamStatus (0 in rows written by hand or older programs)
    // is no result yet, as a new team's; the schema takes no empty status.
    const QString status = IofStatusWord(team.status);
    result.appendTextElement(QStringLiteral("Status"), status.isEmpty() ? IofStatusWord(TeamNew) : status);
    const auto appendScore = [&](const char *type, qint64 value) {
        result.appendTextElement(QStringLiteral("Score"), QString::number(value)).setAttribute(QStringLiteral("type"), QLatin1String(type));
    };
    appendScore("Points", team.points);
    if (team.penalty != 0)
        appendScore("PenaltyPoints", team.penalty);
    appendScore("TotalPoints", team.result);

    // Splits and card belong to the chip of the team's last runner.
    if (chip.isEmpty())
        return;
    if (punches) {
        for (const tControlRes &entry : *punches) {
            if (entry.code == QLatin1String("F"))
                continue;
            const XmlElement split = result.appendElement(QStringLiteral("SplitTime"));
            split.appendTextElement(QStringLiteral("ControlCode"), entry.code);
            const SplitStatus status = splitStatus(entry.status);
            if (status.withTime)
                split.appendTextElement(QStringLiteral("Time"), QString::number(SecondsBetween(entry.time, team.start)));
            if (status.word)
                split.setAttribute(QStringLiteral("status"), QLatin1String(status.word));
        }
    }
    result.appendTextElement(QStringLiteral("ControlCard"), chip).setAttribute(QStringLiteral("punchingSystem"), QStringLiteral("SI"));
}

void appendTeam(const XmlElement &classResult, const TeamRow &team, const ReportContext &context, IofExportCalculation &calculation)
{
    const XmlElement teamResult = classResult.appendElement(QStringLiteral("TeamResult"));
    teamResult.appendTextElement(QStringLiteral("Name"), team.name);
    if (!team.club.isEmpty() || !team.country.isEmpty()) {
        // The schema requires an organisation's name: a team with a country and
        // no club gets an empty one rather than a file that is refused.
        const XmlElement organisation = teamResult.appendElement(QStringLiteral("Organisation"));
        organisation.appendTextElement(QStringLiteral("Name"), team.club);
        if (!team.club.isEmpty())
            organisation.setAttribute(QStringLiteral("type"), QStringLiteral("Club"));
        if (!team.country.isEmpty())
            organisation.appendElement(QStringLiteral("Country")).setAttribute(QStringLiteral("code"), team.country);
    }
    teamResult.appendTextElement(QStringLiteral("BibNumber"), QString::number(team.number));

    db::Connection &connection = context.connection;
    const std::optional<tResArray> punches = IofPunchList(calculation.calculation(), connection, team, calculation.messages());

    const std::vector<IofRunnerRow> runners = RunnersOfTeam(connection, team.id);
    for (const IofRunnerRow &runner : runners) {
        const XmlElement person = teamResult.appendElement(QStringLiteral("TeamMemberResult")).appendElement(QStringLiteral("Person"));
        // The runners grid offers M and W, but imports and typing bring any case
        // and blanks; women are "F" in the standard.
        const QString sex = runner.sex.trimmed().toUpper();
        if (sex == QLatin1String("M"))
            person.setAttribute(QStringLiteral("sex"), sex);
        else if (sex == QLatin1String("F") || sex == QLatin1String("W"))
            person.setAttribute(QStringLiteral("sex"), QStringLiteral("F"));
        appendPersonName(person, runner.lastname, runner.firstname);
        if (!runner.country.isEmpty())
            person.appendElement(QStringLiteral("Nationality")).setAttribute(QStringLiteral("code"), runner.country);
    }
    appendTeamTotal(teamResult, team, runners.empty() ? QString() : runners.back().chipnr, punches);
}

} // namespace

void ExportIofXml3(const ReportContext &context, bool compress)
{
    const EventSettings &settings = context.setup.settings;
    XmlDocument document;
    const XmlElement root = document.createDocumentElement(QStringLiteral("ResultList"), iof3Namespace);
    // The local time with the offset in force at that instant, summer time included.
    const QDateTime now = QDateTime::currentDateTime();
    root.setAttribute(QStringLiteral("createTime"),
                      IsoDateTimeText(DateTime::fromQDateTime(now)) + UtcOffsetText(Platform::utcOffsetSecondsAt(now)));
    root.setAttribute(QStringLiteral("iofVersion"), QStringLiteral("3.0"));
    root.setAttribute(QStringLiteral("creator"), QStringLiteral("Korvent"));
    root.setAttribute(QStringLiteral("status"), QStringLiteral("Complete"));
    appendEvent(root, settings);

    // A failing step ends the walk; what was built is still written. Cancel
    // writes nothing.
    std::exception_ptr failure;
    try {
        IofExportCalculation calculation(context);
        const std::vector<IofClassTeams> classes = IofClassesWithTeams(context);
        WorkSteps steps = IofTeamSteps(context, classes);
        qint64 written = 0;
        for (const IofClassTeams &entry : classes) {
            const XmlElement classResult = root.appendElement(QStringLiteral("ClassResult"));
            classResult.setAttribute(QStringLiteral("timeResolution"), QStringLiteral("1"));
            classResult.appendElement(QStringLiteral("Class")).appendTextElement(QStringLiteral("Name"), entry.className);
            for (const TeamRow &team : entry.teams) {
                appendTeam(classResult, team, context, calculation);
                steps.reached(++written);
            }
        }
    } catch (const WorkCancelled &) {
        throw;
    } catch (const KorventError &) {
        failure = std::current_exception();
    }
    SaveIofDocument(context, document, XmlEncoding::Utf8, IofExportFiles::xml3, compress, IofExportFiles::xml3Compressed, failure);
}
