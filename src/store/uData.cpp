#include "store/uData.h"

#include "store/DatabaseBinding.h"
#include "store/EventSchema.h"

TdmData::TdmData(const QString &eventDirectory)
    : m_connection(EventDatabaseAddress(eventDirectory), EventDatabaseTables(), EventSchemaVersion)
{
}

QString TdmData::databaseFileName(const QString &eventDirectory)
{
    return eventDirectory + QStringLiteral("rogain.abs");
}

qint64 TdmData::rowCount(const QString &table)
{
    return m_connection.scalar(QStringLiteral("SELECT COUNT(*) FROM ") + db::quoteIdentifier(EventTable(table).name)).toLongLong();
}
