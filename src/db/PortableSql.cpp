#include "db/PortableSql.h"

namespace db {

QString TemporaryTableName(Engine engine, const QString &name)
{
    return (engine == Engine::PostgreSQL ? QStringLiteral("pg_temp.") : QStringLiteral("temp.")) + name;
}

} // namespace db
