#include "readout/ReadoutReply.h"

#include "readout/ReadoutComputation.h"
#include "readout/ReadoutRecord.h"
#include "readout/ReadoutStore.h"

QString ReadoutErrorReply(const QString &message)
{
    return QStringLiteral("E \"") + message + u'"';
}

QString ReadoutReplyText(const ReadoutRecord &record, const ReadoutOwner &owner, const ComputedReadout &computed)
{
    QString reply = QStringLiteral("S ");
    const auto add = [&reply](const QString &value) { reply += value + u';'; };
    add(record.chip);
    add(QString::number(computed.start));
    add(QString::number(computed.finish));
    add(QString::number(computed.runningTime));
    add(QString::number(computed.points));
    add(owner.teamNumber);
    add(owner.firstName);
    add(owner.lastName);
    add(owner.teamClass);
    add(owner.teamName);
    add(owner.rentChip.isNull() ? QString() : owner.rentChip.toBool() ? QStringLiteral("True") : QStringLiteral("False"));
    add(QString::number(computed.punches.size()));
    for (const ReplyPunch &punch : computed.punches) {
        add(QString::number(punch.code));
        add(QString::number(punch.time));
        add(QString::number(punch.flag));
    }
    return reply + computed.distances;
}
