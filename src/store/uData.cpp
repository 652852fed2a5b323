#include "store/uData.h"
#include "db/StoredValue.h"

#include "store/DateTime.h"
#include "store/EventSchema.h"
#include "base/KorventError.h"
#include "store/StatusTexts.h"

#include <QCoreApplication>
#include <QSqlRecord>

using db::quoteIdentifier;

namespace {

const db::FieldDefinition &requireField(const db::TableDefinition &table, const QString &name)
{
    if (const db::FieldDefinition *field = table.field(name))
        return *field;
    throw KorventError(QCoreApplication::translate("TdmData", "There is no field \"%1\" in table \"%2\"").arg(name, table.name));
}

QVariant storedValue(const db::FieldDefinition &field, const QVariant &value)
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

Row rowOf(const QSqlQuery &query)
{
    Row row;
    const QSqlRecord record = query.record();
    for (int i = 0; i < record.count(); ++i)
        row.insert(record.fieldName(i), record.value(i));
    return row;
}

} // namespace

TdmData::TdmData(const QString &eventDirectory)
    : m_connection(databaseFileName(eventDirectory), EventTables(), EventSchemaVersion)
{
}

QString TdmData::databaseFileName(const QString &eventDirectory)
{
    return eventDirectory + QStringLiteral("rogain.abs");
}

qint64 TdmData::insertRow(const QString &tableName, const Row &values)
{
    const db::TableDefinition &table = EventTable(tableName);
    Row row = values;
    if (table.name == QLatin1String("team") && !row.contains(QStringLiteral("status")))
        row.insert(QStringLiteral("status"), TeamNew);
    QStringList names, marks;
    QVariantList parameters;
    for (auto it = row.cbegin(); it != row.cend(); ++it) {
        const db::FieldDefinition &field = requireField(table, it.key());
        names.append(quoteIdentifier(field.name));
        marks.append(QStringLiteral("?"));
        parameters.append(storedValue(field, it.value()));
    }
    const QString sql = names.isEmpty()
        ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoteIdentifier(table.name))
        : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
              .arg(quoteIdentifier(table.name), names.join(u','), marks.join(u','));
    return m_connection.exec(sql, parameters).lastInsertId().toLongLong();
}

void TdmData::updateRow(const QString &tableName, qint64 id, const Row &values)
{
    const db::TableDefinition &table = EventTable(tableName);
    if (values.isEmpty())
        return;
    QStringList assignments;
    QVariantList parameters;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        const db::FieldDefinition &field = requireField(table, it.key());
        assignments.append(quoteIdentifier(field.name) + QStringLiteral("=?"));
        parameters.append(storedValue(field, it.value()));
    }
    parameters.append(id);
    m_connection.exec(QStringLiteral("UPDATE %1 SET %2 WHERE \"id\"=?").arg(quoteIdentifier(table.name), assignments.join(u',')),
                      parameters);
}

std::optional<Row> TdmData::findRow(const QString &table, qint64 id)
{
    std::vector<Row> rows = selectRows(table, Row{{QStringLiteral("id"), id}});
    if (rows.empty())
        return std::nullopt;
    return rows.front();
}

std::vector<Row> TdmData::selectRows(const QString &tableName, const Row &equals, const QStringList &orderBy)
{
    const db::TableDefinition &table = EventTable(tableName);
    QString sql = QStringLiteral("SELECT * FROM ") + quoteIdentifier(table.name);
    QStringList conditions;
    QVariantList parameters;
    for (auto it = equals.cbegin(); it != equals.cend(); ++it) {
        const db::FieldDefinition &field = requireField(table, it.key());
        conditions.append(quoteIdentifier(field.name) + QStringLiteral("=?"));
        parameters.append(storedValue(field, it.value()));
    }
    if (!conditions.isEmpty())
        sql += QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" AND "));
    QStringList order;
    for (const QString &name : orderBy)
        order.append(quoteIdentifier(requireField(table, name).name));
    if (!order.isEmpty())
        sql += QStringLiteral(" ORDER BY ") + order.join(u',');

    std::vector<Row> rows;
    QSqlQuery query = m_connection.exec(sql, parameters);
    while (query.next())
        rows.push_back(rowOf(query));
    return rows;
}

qint64 TdmData::rowCount(const QString &table)
{
    return m_connection.scalar(QStringLiteral("SELECT COUNT(*) FROM ") + quoteIdentifier(EventTable(table).name)).toLongLong();
}

void TdmData::deleteTeam(qint64 teamId)
{
    db::Transaction transaction(m_connection);
    m_connection.exec(QStringLiteral("DELETE FROM \"runner\" WHERE \"team_id\"=?"), {teamId});
    m_connection.exec(QStringLiteral("DELETE FROM \"team\" WHERE \"id\"=?"), {teamId});
    transaction.commit();
}
