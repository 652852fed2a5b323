#include "scoring/OvertimePenalty.h"

#include "base/KorventError.h"
#include "store/EventSettings.h"

#include <QCoreApplication>

Overtime OvertimePenalty(qint64 runningTime, const TClassInfo &classInfo, int penaltySeconds, int penaltyPoints)
{
    Overtime overtime;
    if (runningTime > classInfo.maximumTime + classInfo.penaltyTime) {
        overtime.late = true;
    } else if (runningTime > classInfo.maximumTime) {
        if (penaltySeconds <= 0)
            throw KorventError(QCoreApplication::translate("OvertimePenalty", "the penalty span (%1) must be at least one second")
                                   .arg(QString::fromLatin1(SettingOf(&EventSettings::penaltySpanSeconds).key)));
        // Every started span counts: exactly one span over is two.
        overtime.spans = (runningTime - classInfo.maximumTime) / (penaltySeconds * 100LL) + 1;
        overtime.penalty = overtime.spans * penaltyPoints;
    }
    return overtime;
}
