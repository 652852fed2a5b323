#include "store/StatusTexts.h"

#include <QCoreApplication>

QString PunchStatusText(qint64 code)
{
    switch (code) {
    case PunchOK: return QCoreApplication::translate("PunchStatus", "OK");
    case PunchMan: return QCoreApplication::translate("PunchStatus", "Man");
    case PunchOverInterval: return QCoreApplication::translate("PunchStatus", "OverInt.");
    case PunchMissing: return QCoreApplication::translate("PunchStatus", "MP");
    case PunchDQ: return QCoreApplication::translate("PunchStatus", "DQ");
    case PunchDouble: return QCoreApplication::translate("PunchStatus", "Double");
    case PunchReadOK: return QCoreApplication::translate("PunchStatus", "ReadOK");
    case PunchUnknown: return QCoreApplication::translate("PunchStatus", "?");
    default: return QString();
    }
}

QString TeamStatusText(qint64 code)
{
    switch (code) {
    case TeamOK: return QCoreApplication::translate("TeamStatus", "OK");
    case TeamLate: return QCoreApplication::translate("TeamStatus", "LATE");
    case TeamOB: return QCoreApplication::translate("TeamStatus", "OB");
    case TeamWithdrawn: return QCoreApplication::translate("TeamStatus", "W/D");
    case TeamDSQ: return QCoreApplication::translate("TeamStatus", "DSQ");
    case TeamDNS: return QCoreApplication::translate("TeamStatus", "DNS");
    case TeamNoResult: return QCoreApplication::translate("TeamStatus", "NARes.");
    case TeamStarted: return QCoreApplication::translate("TeamStatus", "START");
    default: return QCoreApplication::translate("TeamStatus", "NA");
    }
}
