#include "db/TableDefinition.h"

namespace db {

const FieldDefinition *TableDefinition::field(const QString &fieldName) const
{
    for (const FieldDefinition &f : fields)
        if (f.name.compare(fieldName, Qt::CaseInsensitive) == 0)
            return &f;
    return nullptr;
}

} // namespace db
