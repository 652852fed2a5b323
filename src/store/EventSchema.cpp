#include "store/EventSchema.h"

#include "base/KorventError.h"
#include "store/MapHelpers.h"

#include <QCoreApplication>

using db::FieldKind;

namespace {

db::FieldDefinition key() { return {QStringLiteral("id"), FieldKind::AutoIncrement, 0, {}, {}}; }
db::FieldDefinition integer(const char *name, const char *label = "", QVariant defaultValue = {})
{
    return {QString::fromLatin1(name), FieldKind::Integer, 0, QString::fromLatin1(label), defaultValue};
}
// A control's position: what a real map can need.
db::FieldDefinition mapPosition(const char *name, const char *label)
{
    db::FieldDefinition position = integer(name, label);
    position.minimum = -MapCoordinateLimit;
    position.maximum = MapCoordinateLimit;
    return position;
}
db::FieldDefinition field(const char *name, FieldKind kind, const char *label = "", QVariant defaultValue = {})
{
    return {QString::fromLatin1(name), kind, 0, QString::fromLatin1(label), defaultValue};
}
db::FieldDefinition text(const char *name, int size, const char *label = "")
{
    return {QString::fromLatin1(name), FieldKind::Text, size, QString::fromLatin1(label), {}};
}
db::IndexDefinition index(const char *name, std::initializer_list<const char *> fields, bool unique = false)
{
    QStringList names;
    for (const char *field : fields)
        names.append(QString::fromLatin1(field));
    return {QString::fromLatin1(name), names, unique};
}

std::vector<db::TableDefinition> makeTables()
{
    return {
        {QStringLiteral("team"),
         {key(), integer("number", "Number"), text("name", 100, "Name"), text("club", 30, "Club"),
          text("country", 3, "Country"), text("class", 20, "Class"), integer("entryID", "EntryID"),
          field("entrydate", FieldKind::DateTime, "Entrydate"), text("chip", 10),
          field("start", FieldKind::DateTime), field("finis", FieldKind::DateTime),
          field("inCenter", FieldKind::LargeInt, "Time in C"), integer("points", "Points"),
          integer("penalty", "Penalty"), integer("result", "Result"), field("rtime", FieldKind::LargeInt, "Time"),
          field("teamNote", FieldKind::Memo, "Note"), field("printtime", FieldKind::DateTime, "Print Time"),
          integer("status", "Status", 9), field("calctime", FieldKind::DateTime), text("subclass", 25, "Ex.Class")},
         {index("idxID", {"id"}), index("idxChip", {"chip"}), index("idxNumber", {"number"})}},
        {QStringLiteral("runner"),
         {key(), integer("team_id"), text("firstname", 30, "Firstname"), text("lastname", 30, "Lastname"),
          text("club", 30, "Club"), text("country", 3, "Country"), field("birthdate", FieldKind::Date, "Birthdate"),
          text("chipnr", 10, "Chipnr"), field("personalinfo", FieldKind::Memo, "Note"),
          field("rentchip", FieldKind::Boolean), text("sex", 1, "Sex"),
          field("started", FieldKind::Boolean, "Started", 0)},
         {index("idxPrim", {"id"}), index("idxTeam", {"team_id", "lastname"}), index("idxChip", {"chipnr"})}},
        {QStringLiteral("control"),
         {key(), text("controlnr", 10, "Control"), integer("unitnumber", "unitNR"), integer("points", "Point"),
          text("type", 1, "Type"), mapPosition("pos_x", "x(mm)"), mapPosition("pos_y", "y(mm)"), text("text", 20, "Text")},
         {index("idxPrim", {"id"}, true), index("idxUnit", {"controlnr"})}},
        {QStringLiteral("res_cp"),
         {key(), integer("team_id"), integer("runner_id"), integer("count", "Point"), text("KP", 10),
          field("time", FieldKind::DateTime), integer("status", "Status", 9), text("note", 20, "Note"),
          field("ctime", FieldKind::DateTime, "Time")},
         {index("idxID", {"id"}), index("idxPrim", {"team_id", "runner_id", "ctime"}),
          index("idxRes", {"team_id", "KP", "ctime"}),
          // A readout replaces the runner's punches: found by runner alone.
          index("idxRunner", {"runner_id"})}},
        {QStringLiteral("extrapoint"),
         {key(), integer("from", "From"), integer("to", "TO"), integer("points", "Points")},
         {index("idxPrim", {"id"})}},
    };
}

// On a server the event's settings, class tree and correction log are rows, so
// that every seat works with the same ones (EventRecords). A file gets the
// tables too and leaves them empty: its folder keeps those as files.
std::vector<db::TableDefinition> makeRecordTables()
{
    return {
        {QStringLiteral("eventsetting"),
         {key(), text("section", 64), text("name", 64), field("value", FieldKind::Memo)},
         {index("idxName", {"section", "name"}, true)}},
        {QStringLiteral("eventclasstree"), {key(), field("tree", FieldKind::Memo)}, {}},
        {QStringLiteral("correctionlog"), {key(), field("line", FieldKind::Memo)}, {}},
    };
}

} // namespace

const std::vector<db::TableDefinition> &EventRecordTables()
{
    static const std::vector<db::TableDefinition> tables = makeRecordTables();
    return tables;
}

const std::vector<db::TableDefinition> &EventDatabaseTables()
{
    static const std::vector<db::TableDefinition> tables = [] {
        std::vector<db::TableDefinition> all = EventTables();
        all.insert(all.end(), EventRecordTables().begin(), EventRecordTables().end());
        return all;
    }();
    return tables;
}

const std::vector<db::TableDefinition> &EventTables()
{
    static const std::vector<db::TableDefinition> tables = makeTables();
    return tables;
}

const db::TableDefinition &EventTable(const QString &name)
{
    for (const db::TableDefinition &table : EventTables())
        if (table.name.compare(name, Qt::CaseInsensitive) == 0)
            return table;
    throw KorventError(QCoreApplication::translate("EventSchema", "There is no table \"%1\" in the event database").arg(name));
}
