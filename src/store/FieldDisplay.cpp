#include "store/FieldDisplay.h"

#include "store/EventSchema.h"
#include "store/StatusTexts.h"
#include "store/TimeHelpers.h"

namespace {

const db::FieldDefinition *eventField(const QString &table, const QString &field)
{
    for (const db::TableDefinition &definition : EventTables())
        if (definition.name.compare(table, Qt::CaseInsensitive) == 0)
            return definition.field(field);
    return nullptr;
}

} // namespace

QString FieldDisplayText(const QString &table, const QString &field, const QVariant &value)
{
    const auto is = [](const QString &a, const char *b) { return a.compare(QLatin1String(b), Qt::CaseInsensitive) == 0; };
    // An empty number reads as 0.
    const qint64 number = value.toLongLong();
    if (is(table, "team")) {
        if (is(field, "status"))
            return TeamStatusText(number);
        if (is(field, "result"))
            return ResultText(number);
        if (is(field, "rtime") || is(field, "inCenter"))
            return number < 0 ? QString() : FormatSeconds(number);
    }
    if (is(table, "res_cp") && is(field, "status"))
        return value.isNull() ? QString() : PunchStatusText(number);
    const db::FieldDefinition *definition = eventField(table, field);
    if (definition && (definition->kind == db::FieldKind::Date || definition->kind == db::FieldKind::DateTime)) {
        // Text that is not a stored date shows as it is.
        if (const SerialDateTime dateTime = DateTime::fromStored(value); dateTime != 0)
            return definition->kind == db::FieldKind::Date ? DateText(dateTime) : DateTimeText(true, dateTime);
    }
    return value.toString();
}

QString FieldDisplayLabel(const QString &table, const QString &field)
{
    const db::FieldDefinition *definition = EventTable(table).field(field);
    return definition ? definition->title() : field;
}
