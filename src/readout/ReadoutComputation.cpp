#include "readout/ReadoutComputation.h"

#include "scoring/OvertimePenalty.h"
#include "store/EventSettings.h"
#include "store/MapHelpers.h"
#include "store/StatusTexts.h"
#include "store/TextHelpers.h"
#include "store/TimeHelpers.h"

#include <algorithm>

namespace {

constexpr qint64 noFinishValues[] = {77'777'500, -1, -99};
constexpr qint64 noFinishReply = -9900;
constexpr qint64 didNotFinishCode = 300'000'000;
constexpr qint64 overTimeCode = 500'000'000;
constexpr int firstUntimedPunch = 30; // cards below type 6 keep times of 30 punches
constexpr qint64 oneMinute = 6'000;
constexpr double hundredthsPerDay = 8'640'000.0;

ComputedReadout refused(const char *message)
{
    ComputedReadout computed;
    computed.refusal = QString::fromLatin1(message);
    return computed;
}

// The store writes four-digit years only.
bool storable(SerialDateTime time)
{
    const QDate date = DateTime::datePart(time);
    return date.isValid() && date.year() <= 9999;
}

} // namespace

ComputedReadout ComputeReadout(const ReadoutRecord &record, const QString &teamClass, const CourseCopy &copy,
                               const EventSettings &settings)
{
    const CourseDefinition &course = *copy.course;
    const EventSettings &loaded = copy.setup->settings;
    const std::optional<TClassInfo> classInfo = FindClass(course.classes(), teamClass);
    if (!classInfo || classInfo->start == -1)
        return refused("No course/class description for runner");
    const bool hasFinish = std::find(std::begin(noFinishValues), std::end(noFinishValues), record.finish) == std::end(noFinishValues);
    if (record.finish == -1 && !settings.multiReadout)
        return refused("No Finish Time");

    ComputedReadout computed;
    computed.replacesEarlierRows = !settings.multiReadout;
    computed.start = classInfo->start;
    qint64 clock = classInfo->start;
    const SerialDateTime eventDate = DateTime::fromDateAndTime(loaded.eventDate->date(), QTime(0, 0));
    SerialDateTime stamp = eventDate + classInfo->start / hundredthsPerDay;
    QString previousKp = ExtraPointRules::startCode();
    qint64 previousX = course.startPosition().x, previousY = course.startPosition().y;
    std::vector<qint64> seenCodes;
    for (size_t k = 0; k < record.punches.size(); ++k) {
        const RecordPunch &punch = record.punches[k];
        const TControlPoint *control = course.findControlByUnit(punch.code);
        QString kp = QStringLiteral("?");
        qint64 points = 0, x = 0, y = 0, code = -1;
        if (control) {
            kp = control->punchCode;
            points = control->points;
            x = control->x;
            y = control->y;
            code = LeadingInteger(kp);
        }
        points += course.extraPoints().legPoints(previousKp, kp);
        previousKp = kp;
        if (settings.replyDistances)
            computed.distances += DistanceMetersText(MapDistance(previousX, previousY, x, y), settings.mapScale) + u';';
        previousX = x;
        previousY = y;

        // Such a punch is stored a minute after the one before it.
        const bool untimed = record.cardType < 6 && k >= firstUntimedPunch;
        qint64 time = punch.time;
        if (untimed) {
            clock += oneMinute;
            stamp += oneMinute / hundredthsPerDay;
        } else {
            stamp = UnwrapClockTime(clock, time, stamp);
            clock = time;
        }
        const int status = kp == QLatin1String("?") ? PunchUnknown : untimed ? PunchMan : PunchReadOK;
        computed.rows.push_back({kp, status, stamp, points});

        const bool repeat = std::find(seenCodes.begin(), seenCodes.end(), code) != seenCodes.end();
        seenCodes.push_back(code);
        const bool counted = !repeat && points >= 1;
        if (counted)
            computed.points += points;
        computed.punches.push_back({code, untimed ? -1 : time, counted ? 1 : 4});
    }

    if (!hasFinish) {
        computed.finish = noFinishReply;
        computed.points = 0;
        computed.runningTime = didNotFinishCode;
    } else {
        computed.finish = record.finish;
        const SerialDateTime finishStamp = UnwrapClockTime(clock, computed.finish, stamp);
        computed.runningTime = computed.finish - classInfo->start;
        // A class without a valid maximum time has no time rule.
        if (classInfo->maximumTime >= 0) {
            const Overtime overtime = OvertimePenalty(computed.runningTime, *classInfo, loaded.penaltySpanSeconds, loaded.penaltyPoints);
            if (overtime.late) {
                computed.runningTime = overTimeCode;
                computed.points = 0;
            } else {
                computed.points += overtime.penalty;
            }
        }
        computed.rows.push_back({QStringLiteral("F"), PunchReadOK, finishStamp, 0});
        if (settings.replyDistances)
            computed.distances += DistanceMetersText(MapDistance(previousX, previousY, course.finishPosition().x, course.finishPosition().y), settings.mapScale) + u';';
    }

    if (!std::all_of(computed.rows.cbegin(), computed.rows.cend(), [](const ReadoutRow &row) { return storable(row.time); }))
        return refused("Wrong parameters");
    return computed;
}
