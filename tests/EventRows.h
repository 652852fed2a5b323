#pragma once

// Rows of the event database written and read by field values, for setting
// up events and checking what a command left: date-time fields take a
// SerialDateTime (double) or its stored text, booleans take bool, an empty text
// is stored as NULL. New team rows get status 9 (NA) unless the values name another.

#include "base/KorventError.h"
#include "db/Connection.h"
#include "db/StoredValue.h"
#include "store/DateTime.h"
#include "store/EventSchema.h"
#include "store/StatusTexts.h"
#include "store/uData.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariantMap>
#include <optional>
#include <vector>

using Row = QVariantMap;

namespace event_rows {

inline const db::FieldDefinition &requireField(const db::TableDefinition &table, const QString &name)
{
    if (const db::FieldDefinition *field = table.field(name))
        return *field;
    throw KorventError(QStringLiteral("There is no field \"%1\" in table \"%2\"").arg(name, table.name));
}

inline QVariant storedValue(const db::FieldDefinition &field, const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return db::NullText();
    const bool isText = value.typeId() == QMetaType::QString;
    if (isText && value.toString().isEmpty())
        return db::NullText();
    switch (field.kind) {
    case db::FieldKind::DateTime:
        return isText ? value : DateTime::toStored(value.toDouble());
    case db::FieldKind::Date:
        return isText ? value : QVariant(DateTime::datePart(value.toDouble()).toString(Qt::ISODate));
    case db::FieldKind::Boolean:
        return value.toBool() ? 1 : 0;
    default:
        return value;
    }
}

} // namespace event_rows

inline qint64 insertRow(TdmData &data, const QString &tableName, const Row &values)
{
    using namespace event_rows;
    const db::TableDefinition &table = EventTable(tableName);
    Row row = values;
    if (table.name == QLatin1String("team") && !row.contains(QStringLiteral("status")))
        row.insert(QStringLiteral("status"), TeamNew);
    QStringList names, marks;
    QVariantList parameters;
    for (auto it = row.cbegin(); it != row.cend(); ++it) {
        const db::FieldDefinition &field = requireField(table, it.key());
        names.append(db::quoteIdentifier(field.name));
        marks.append(QStringLiteral("?"));
        parameters.append(storedValue(field, it.value()));
    }
    const QString sql = names.isEmpty()
        ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(db::quoteIdentifier(table.name))
        : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(db::quoteIdentifier(table.name), names.join(u','), marks.join(u','));
    return data.connection().insert(sql, parameters);
}

inline void updateRow(TdmData &data, const QString &tableName, qint64 id, const Row &values)
{
    using namespace event_rows;
    const db::TableDefinition &table = EventTable(tableName);
    if (values.isEmpty())
        return;
    QStringList assignments;
    QVariantList parameters;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        const db::FieldDefinition &field = requireField(table, it.key());
        assignments.append(db::quoteIdentifier(field.name) + QStringLiteral("=?"));
        parameters.append(storedValue(field, it.value()));
    }
    parameters.append(id);
    data.connection().exec(QStringLiteral("UPDATE %1 SET %2 WHERE \"id\"=?").arg(db::quoteIdentifier(table.name), assignments.join(u',')),
                           parameters);
}

// Rows whose fields equal the given values (all rows for none), ordered by the fields named.
inline std::vector<Row> selectRows(TdmData &data, const QString &tableName, const Row &equals = {}, const QStringList &orderBy = {})
{
    using namespace event_rows;
    const db::TableDefinition &table = EventTable(tableName);
    QString sql = QStringLiteral("SELECT * FROM ") + db::quoteIdentifier(table.name);
    QStringList conditions;
    QVariantList parameters;
    for (auto it = equals.cbegin(); it != equals.cend(); ++it) {
        const db::FieldDefinition &field = requireField(table, it.key());
        conditions.append(db::quoteIdentifier(field.name) + QStringLiteral("=?"));
        parameters.append(storedValue(field, it.value()));
    }
    if (!conditions.isEmpty())
        sql += QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" AND "));
    QStringList order;
    for (const QString &name : orderBy)
        order.append(db::quoteIdentifier(requireField(table, name).name));
    if (!order.isEmpty())
        sql += QStringLiteral(" ORDER BY ") + order.join(u',');

    std::vector<Row> rows;
    QSqlQuery query = data.connection().exec(sql, parameters);
    while (query.next()) {
        Row row;
        const QSqlRecord record = query.record();
        // Keyed by the schema's names: a server gives them folded to lower case.
        for (int i = 0; i < record.count(); ++i) {
            const db::FieldDefinition *field = table.field(record.fieldName(i));
            row.insert(field ? field->name : record.fieldName(i), record.value(i));
        }
        rows.push_back(row);
    }
    return rows;
}

inline std::optional<Row> findRow(TdmData &data, const QString &table, qint64 id)
{
    std::vector<Row> rows = selectRows(data, table, Row{{QStringLiteral("id"), id}});
    if (rows.empty())
        return std::nullopt;
    return rows.front();
}
