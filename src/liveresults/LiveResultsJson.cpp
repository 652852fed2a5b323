#include "liveresults/LiveResultsJson.h"

#include "reports/ClassPlaces.h"
#include "scoring/CourseDefinition.h"
#include "store/StatusTexts.h"
#include "store/TimeHelpers.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace {

qint64 controlPointsOf(const CourseDefinition &course, const QString &code)
{
    const TControlPoint *control = course.findControl(code);
    return control ? control->points : 0;
}

QJsonValue isoTime(SerialDateTime time)
{
    if (time <= 0)
        return QJsonValue::Null;
    return QString(DateTime::datePart(time).toString(Qt::ISODate) + u'T' + DateTime::timePart(time).toString(QStringLiteral("HH:mm:ss")));
}

} // namespace

QJsonObject TeamJson(const TeamRow &team, std::optional<int> place)
{
    if (!team.calculated) {
        // Listed before its first calculation: nothing worked out, only its status so far.
        const QJsonValue none(QJsonValue::Null);
        return QJsonObject{{QStringLiteral("place"), none},
                           {QStringLiteral("number"), team.number},
                           {QStringLiteral("name"), team.name},
                           {QStringLiteral("class"), team.className},
                           {QStringLiteral("points"), none},
                           {QStringLiteral("penalty"), none},
                           {QStringLiteral("result"), none},
                           {QStringLiteral("status"), TeamStatusText(team.status)},
                           {QStringLiteral("time"), none}};
    }
    return QJsonObject{
        {QStringLiteral("place"), place ? QJsonValue(*place) : QJsonValue(QJsonValue::Null)},
        {QStringLiteral("number"), team.number},
        {QStringLiteral("name"), team.name},
        {QStringLiteral("class"), team.className},
        {QStringLiteral("points"), team.points},
        {QStringLiteral("penalty"), team.penalty},
        // A negative stored result is the status; the status field names it.
        {QStringLiteral("result"), team.result >= 0 ? QJsonValue(team.result) : QJsonValue(QJsonValue::Null)},
        {QStringLiteral("status"), TeamStatusText(team.status)},
        {QStringLiteral("time"), FormatSeconds(team.rtime)},
    };
}

QByteArray ResultsJson(const QString &eventName, quint64 version, const std::vector<LiveClassTeams> &classes)
{
    QJsonArray classArray;
    for (const LiveClassTeams &liveClass : classes) {
        QJsonArray teams;
        ClassPlaces places;
        for (const TeamRow &team : liveClass.teams)
            teams.append(TeamJson(team, places.next(team)));
        classArray.append(QJsonObject{{QStringLiteral("name"), liveClass.name}, {QStringLiteral("teams"), teams}});
    }
    const QJsonObject document{{QStringLiteral("event"), eventName},
                               {QStringLiteral("version"), static_cast<qint64>(version)},
                               {QStringLiteral("classes"), classArray}};
    return QJsonDocument(document).toJson(QJsonDocument::Compact);
}

QJsonObject TeamDetailsJson(const std::vector<LiveRunner> &runners, const tResArray *list, const CourseDefinition &course)
{
    QJsonObject document;
    QJsonArray runnerArray;
    for (const LiveRunner &runner : runners)
        runnerArray.append(QJsonObject{{QStringLiteral("firstname"), runner.firstname},
                                       {QStringLiteral("lastname"), runner.lastname},
                                       {QStringLiteral("sex"), runner.sex},
                                       {QStringLiteral("country"), runner.country},
                                       {QStringLiteral("finish"), runner.finish ? isoTime(*runner.finish) : QJsonValue(QJsonValue::Null)},
                                       {QStringLiteral("started"), runner.started}});
    document.insert(QStringLiteral("runners"), runnerArray);
    QJsonArray punches;
    if (list)
        for (const tControlRes &entry : *list)
            punches.append(QJsonObject{{QStringLiteral("code"), entry.code},
                                       {QStringLiteral("time"), isoTime(entry.time)},
                                       {QStringLiteral("status"), PunchStatusText(entry.status)},
                                       // What the visit scores: only an OK or hand-entered punch counts.
                                       {QStringLiteral("points"), entry.status <= PunchMan ? controlPointsOf(course, entry.code) : 0}});
    document.insert(QStringLiteral("punches"), punches);
    return document;
}

QByteArray TeamJsonDocument(const QJsonObject &team, const QJsonObject &details)
{
    QJsonObject document = team;
    for (auto it = details.begin(); it != details.end(); ++it)
        document.insert(it.key(), it.value());
    return QJsonDocument(document).toJson(QJsonDocument::Compact);
}

QByteArray SharedNumberJson(qint64 number, const QString &error, const QJsonArray &teams)
{
    const QJsonObject document{{QStringLiteral("error"), error}, {QStringLiteral("number"), number}, {QStringLiteral("teams"), teams}};
    return QJsonDocument(document).toJson(QJsonDocument::Compact);
}
