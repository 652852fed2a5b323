// The IOF XML 2.0.3 result list in the shape the programs that read it
// expect: a CourseData block with one course per team (its number as course
// name and variation) ahead of the class results, each team's punches both as
// its splits and as its course's controls, times in the regional formats.

#include "exports/IofExport.h"
#include "exports/IofExportRun.h"
#include "exports/IofFormats.h"
#include "exports/IofResultRows.h"
#include "exports/IofStatusWord.h"

#include "base/KorventError.h"
#include "base/VersionText.h"
#include "store/EventSetup.h"
#include "store/StatusTexts.h"
#include "store/TimeHelpers.h"

namespace {

QString splitStatusWord(int punchStatus)
{
    switch (punchStatus) {
    case PunchOK:
    case PunchMan:
        return QStringLiteral("OK");
    case PunchOverInterval:
    case PunchMissing:
    case PunchDQ:
    case PunchDouble:
        return QStringLiteral("MP");
    case PunchReadOK:
    case PunchUnknown:
        return QStringLiteral("NIL");
    }
    return QStringLiteral("????");
}

// Clock and Date children of a time of day, in the regional formats.
void appendClockAndDate(const XmlElement &parent, SerialDateTime dateTime)
{
    parent.appendTextElement(QStringLiteral("Clock"), DateTimeText(false, dateTime));
    parent.appendTextElement(QStringLiteral("Date"), DateText(dateTime));
}

void appendEvent(const XmlElement &root, const EventSettings &settings)
{
    const XmlElement event = root.appendElement(QStringLiteral("Event"));
    event.setAttribute(QStringLiteral("eventForm"), QStringLiteral("Rogain"));
    event.appendTextElement(QStringLiteral("EventId"), QString());
    event.appendTextElement(QStringLiteral("Name"), settings.eventName);
    event.appendTextElement(QStringLiteral("EventClassificationId"), QString());
    event.appendElement(QStringLiteral("StartDate")).appendTextElement(QStringLiteral("Date"), IsoDateText(settings.eventDate->date()));
}

void appendTeam(const XmlElement &classResult, const XmlElement &courseData, const QString &className, const TeamRow &team,
                const ReportContext &context, IofExportCalculation &calculation)
{
    db::Connection &connection = context.connection;
    const XmlElement teamResult = classResult.appendElement(QStringLiteral("TeamResult"));
    teamResult.appendTextElement(QStringLiteral("TeamName"), team.name);
    teamResult.appendTextElement(QStringLiteral("Country"), team.country);
    for (const IofRunnerRow &runner : RunnersOfTeam(connection, team.id)) {
        const XmlElement name = teamResult.appendElement(QStringLiteral("Person")).appendElement(QStringLiteral("PersonName"));
        name.appendTextElement(QStringLiteral("Family"), runner.lastname);
        name.appendTextElement(QStringLiteral("Given"), runner.firstname);
        const XmlElement club = teamResult.appendElement(QStringLiteral("Club"));
        if (!runner.club.isEmpty())
            club.appendTextElement(QStringLiteral("ShortName"), runner.club);
    }

    const QString number = QString::number(team.number);
    const XmlElement result = teamResult.appendElement(QStringLiteral("Result"));
    result.appendTextElement(QStringLiteral("StartNumber"), number);
    appendClockAndDate(result.appendElement(QStringLiteral("StartTime")), team.start);
    appendClockAndDate(result.appendElement(QStringLiteral("FinishTime")), team.finis);
    result.appendTextElement(QStringLiteral("Time"), FormatSeconds(team.rtime));
    result.appendElement(QStringLiteral("CompetitorStatus")).setAttribute(QStringLiteral("value"), IofStatusWord(team.status));
    result.appendTextElement(QStringLiteral("CourseVariationId"), number);

    const XmlElement course = courseData.appendElement(QStringLiteral("Course"));
    course.appendTextElement(QStringLiteral("CourseName"), number);
    course.appendTextElement(QStringLiteral("ClassShortName"), className);
    const XmlElement variation = course.appendElement(QStringLiteral("CourseVariation"));
    variation.appendTextElement(QStringLiteral("CourseVariationId"), number);
    variation.appendElement(QStringLiteral("StartPoint")).appendTextElement(QStringLiteral("StartPointCode"), QStringLiteral("S"));

    if (const std::optional<tResArray> punches = IofPunchList(calculation.calculation(), connection, team, calculation.messages())) {
        // Sequence numbers are positions in the punch list, the finish's included.
        for (size_t i = 0; i < punches->size(); ++i) {
            const tControlRes &entry = (*punches)[i];
            if (entry.code == QLatin1String("F"))
                continue;
            const QString sequence = QString::number(i + 1);
            const XmlElement split = result.appendElement(QStringLiteral("SplitTime"));
            split.setAttribute(QStringLiteral("sequence"), sequence);
            split.appendTextElement(QStringLiteral("ControlCode"), entry.code);
            split.setAttribute(QStringLiteral("status"), splitStatusWord(entry.status));
            appendClockAndDate(split, entry.time);
            split.appendTextElement(QStringLiteral("Time"), FormatSeconds(SecondsBetween(entry.time, team.start)));

            const XmlElement control = variation.appendElement(QStringLiteral("CourseControl"));
            control.appendTextElement(QStringLiteral("Sequence"), sequence);
            control.appendTextElement(QStringLiteral("ControlCode"), entry.code);
        }
    }
    variation.appendElement(QStringLiteral("FinishPoint")).appendTextElement(QStringLiteral("FinishPointCode"), QStringLiteral("F"));
    const XmlElement point = result.appendElement(QStringLiteral("Point"));
    point.setAttribute(QStringLiteral("type"), QStringLiteral("total"));
    point.setAttribute(QStringLiteral("value"), QString::number(team.result));
}

} // namespace

void ExportIofXml2(const ReportContext &context, bool compress)
{
    XmlDocument document;
    // A failing step ends the walk; what was built is still written. Cancel
    // writes nothing.
    std::exception_ptr failure;
    try {
        const EventSettings &settings = context.setup.settings;
        const XmlElement root = document.createDocumentElement(QStringLiteral("ResultList"));
        root.setAttribute(QStringLiteral("status"), QStringLiteral("complete"));
        root.setAttribute(QStringLiteral("rlType"), QStringLiteral("EOL"));
        root.setAttribute(QStringLiteral("producer"), QStringLiteral("KVT"));
        root.setAttribute(QStringLiteral("version"), VersionText(ProgramVersion(), false, u'.'));
        root.appendElement(QStringLiteral("IOFVersion")).setAttribute(QStringLiteral("version"), QStringLiteral("2.0.3"));
        document.insertProcessingInstruction(QStringLiteral("xml"), QStringLiteral("version=\"1.0\" encoding=\"ISO-8859-1\""));
        appendEvent(root, settings);
        const XmlElement courseData = root.appendElement(QStringLiteral("CourseData"));

        IofExportCalculation calculation(context);
        const std::vector<IofClassTeams> classes = IofClassesWithTeams(context);
        WorkSteps steps = IofTeamSteps(context, classes);
        qint64 written = 0;
        for (const IofClassTeams &entry : classes) {
            const XmlElement classResult = root.appendElement(QStringLiteral("ClassResult"));
            classResult.appendTextElement(QStringLiteral("ClassShortName"), entry.className);
            for (const TeamRow &team : entry.teams) {
                appendTeam(classResult, courseData, entry.className, team, context, calculation);
                steps.reached(++written);
            }
        }
    } catch (const WorkCancelled &) {
        throw;
    } catch (const KorventError &) {
        failure = std::current_exception();
    }
    SaveIofDocument(context, document, XmlEncoding::Latin1, IofExportFiles::xml2, compress, IofExportFiles::xml2Compressed, failure);
}
