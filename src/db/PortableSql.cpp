#include "db/PortableSql.h"

namespace db {

QString TemporaryTableName(Engine engine, const QString &name)
{
    return (engine == Engine::PostgreSQL ? QStringLiteral("pg_temp.") : QStringLiteral("temp.")) + name;
}

QString NullsFirst(Engine engine, const QString &column)
{
    return engine == Engine::PostgreSQL ? column + QStringLiteral(" NULLS FIRST") : column;
}

} // namespace db
