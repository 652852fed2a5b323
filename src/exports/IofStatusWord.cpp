#include "exports/IofStatusWord.h"

#include "store/StatusTexts.h"

QString IofStatusWord(qint64 teamStatus)
{
    switch (teamStatus) {
    case TeamOK:
        return QStringLiteral("OK");
    case TeamLate:
        return QStringLiteral("OverTime");
    case TeamOB:
        return QStringLiteral("NotCompeting");
    case TeamWithdrawn:
        return QStringLiteral("DidNotFinish");
    case TeamDSQ:
        return QStringLiteral("Disqualified");
    case TeamDNS:
        return QStringLiteral("DidNotStart");
    case TeamNoResult:
        return QStringLiteral("Finished");
    case TeamStarted:
        return QStringLiteral("Active");
    case TeamNew:
        return QStringLiteral("Inactive");
    }
    return QString();
}
