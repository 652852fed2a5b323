#include "store/ClassUse.h"

#include "db/Connection.h"

qint64 TeamsEnteredInClass(db::Connection &connection, const QString &className)
{
    return connection.scalar(QStringLiteral("SELECT COUNT(*) FROM team WHERE class = ? OR subclass = ?"), {className, className}).toLongLong();
}
