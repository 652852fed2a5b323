#include "scoring/PunchListText.h"

#include "store/TimeHelpers.h"

QStringList PunchListLines(const tResArray &list)
{
    QStringList lines;
    for (size_t i = 0; i < list.size(); ++i) {
        const tControlRes &entry = list[i];
        lines.append(QString::asprintf("%3d %-5s %-21s %10s %d", static_cast<int>(i + 1), entry.code.toUtf8().constData(),
                                       DateTimeText(true, entry.time).toUtf8().constData(),
                                       FormatSeconds(entry.seconds).toUtf8().constData(), entry.status));
    }
    return lines;
}
