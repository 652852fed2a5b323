#include "dataeditor/SqlConsole.h"

#include "base/KorventError.h"
#include "base/TextFile.h"
#include "base/XmlDocument.h"
#include "base/TextPrinting.h"
#include "store/EventSchema.h"
#include "store/TimeHelpers.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {

// The field of the event tables a column comes from; nullptr for anything else.
const db::FieldDefinition *eventField(const db::SqlColumn &column)
{
    if (column.table.isEmpty())
        return nullptr;
    for (const db::TableDefinition &table : EventTables())
        if (table.name.compare(column.table, Qt::CaseInsensitive) == 0)
            return table.field(column.field);
    return nullptr;
}

// Widths as a grid of the original program shows such fields; texts by their size.
int fieldDisplayWidth(const db::FieldDefinition &field)
{
    switch (field.kind) {
    case db::FieldKind::Text: return std::max(field.size, 1);
    case db::FieldKind::AutoIncrement:
    case db::FieldKind::Integer:
    case db::FieldKind::Memo: return 10;
    case db::FieldKind::LargeInt: return 15;
    case db::FieldKind::Boolean: return 5;
    case db::FieldKind::Date: return 10;
    case db::FieldKind::DateTime: return 19;
    }
    return 10;
}

// Expressions take the room their texts need, within what a column can show.
constexpr int widestComputedColumn = 50;

} // namespace

bool AsksBeforeChange(const QString &text)
{
    const QString words = text.trimmed().toUpper();
    for (const char *word : {"DELETE", "INSERT", "UPDATE"})
        if (words.contains(QLatin1String(word)))
            return true;
    return false;
}

QString LogLine(const QString &text)
{
    return u'[' + ClockStamp() + QStringLiteral("] ") + text;
}

QString ElapsedText(qint64 milliseconds)
{
    const qint64 minutes = milliseconds / 60'000 % 60;
    const qint64 seconds = milliseconds / 1000 % 60;
    return QStringLiteral("%1:%2:%3").arg(minutes).arg(seconds).arg(milliseconds % 1000);
}

QString RowsAffectedText(qint64 rows)
{
    return QStringLiteral(" %1 rows affected.").arg(rows);
}

QStringList RunLogTexts(const db::SqlOutcome &outcome, qint64 elapsedMilliseconds)
{
    QStringList texts;
    if (outcome.returnsRows) {
        texts.append(QString::number(outcome.rows.size()));
        texts.append(QStringLiteral("Ok.>>") + ElapsedText(elapsedMilliseconds));
    } else {
        texts.append(QStringLiteral("Ok."));
    }
    if (outcome.rowsAffected != -1)
        texts.append(RowsAffectedText(outcome.rowsAffected));
    return texts;
}

QString SqlHistoryFileName(const QString &eventDirectory)
{
    return eventDirectory + QStringLiteral("sqlhistory.sql");
}

QString LoadSqlText(const QString &fileName)
{
    const QFileInfo info(fileName);
    if (!info.exists())
        return QString();
    // A pipe of that name would hold the window until something writes into it.
    if (!info.isFile())
        throw KorventError(QCoreApplication::translate("SqlConsole", "Cannot read %1: it is not a plain file").arg(fileName));
    const std::optional<QStringList> lines = ReadTextLines(fileName);
    if (!lines)
        throw KorventError(QCoreApplication::translate("SqlConsole", "Cannot read %1").arg(fileName));
    return lines->join(u'\n');
}

void SaveSqlText(const QString &fileName, const QString &text)
{
    WriteTextLines(fileName, text.isEmpty() ? QStringList() : text.split(u'\n'));
}

QStringList ResultTextLines(const db::SqlOutcome &outcome)
{
    QStringList lines;
    QString header;
    for (const db::SqlColumn &column : outcome.columns)
        header += db::SqlFieldText(column.name) + u';';
    lines.append(header);
    for (const QVariantList &row : outcome.rows)
        lines.append(db::SqlRowLine(row));
    return lines;
}

void SaveResultAsText(const QString &fileName, const db::SqlOutcome &outcome)
{
    WriteTextLines(fileName, ResultTextLines(outcome));
}

QByteArray ResultXml(const db::SqlOutcome &outcome)
{
    XmlDocument document;
    const XmlElement root = document.createDocumentElement(QStringLiteral("sql_results"));
    // Elements that hold text are written as laid out here: a record to a line.
    root.appendText(QStringLiteral("\n"));
    for (const QVariantList &row : outcome.rows) {
        const XmlElement record = root.appendElement(QStringLiteral("record"));
        record.appendText(QStringLiteral("\n"));
        for (size_t c = 0; c < outcome.columns.size(); ++c)
            record.appendTextElement(outcome.columns[c].name, db::SqlValueText(row.at(static_cast<qsizetype>(c))));
        record.appendText(QStringLiteral("\n"));
        root.appendText(QStringLiteral("\n"));
    }
    // Every line ends with CR LF; a CR inside a value is written as &#13; and reads back as it was.
    return document.toBytes(XmlEncoding::Utf8, XmlEmptyElements::EndTag).replace("\n", "\r\n");
}

void SaveResultAsXml(const QString &fileName, const db::SqlOutcome &outcome)
{
    WriteFileBytes(fileName, ResultXml(outcome));
}

int ColumnDisplayWidth(const db::SqlOutcome &outcome, size_t column)
{
    if (const db::FieldDefinition *field = eventField(outcome.columns.at(column)))
        return fieldDisplayWidth(*field);
    qsizetype width = std::max<qsizetype>(outcome.columns.at(column).name.size(), 1);
    for (const QVariantList &row : outcome.rows)
        width = std::max(width, db::SqlValueText(row.at(static_cast<qsizetype>(column))).size());
    return static_cast<int>(std::min<qsizetype>(width, widestComputedColumn));
}

QStringList ResultPrintLines(const db::SqlOutcome &outcome)
{
    std::vector<int> widths;
    for (size_t c = 0; c < outcome.columns.size(); ++c)
        widths.push_back(ColumnDisplayWidth(outcome, c) + 1);
    QStringList lines;
    QString header;
    for (size_t c = 0; c < outcome.columns.size(); ++c)
        header += PadText(outcome.columns[c].name, widths[c], false);
    lines.append(header);
    for (const QVariantList &row : outcome.rows) {
        QString line;
        for (size_t c = 0; c < outcome.columns.size(); ++c)
            line += PadText(db::SqlValueText(row.at(static_cast<qsizetype>(c))), widths[c], false);
        lines.append(line);
    }
    return lines;
}

bool IsLargeIntegerColumn(const db::SqlColumn &column)
{
    if (const db::FieldDefinition *field = eventField(column))
        return field->kind == db::FieldKind::LargeInt;
    return column.declaredType.compare(QLatin1String("BIGINT"), Qt::CaseInsensitive) == 0;
}

std::optional<LiveRows> LiveRowsOf(const db::SqlOutcome &outcome)
{
    if (!outcome.returnsRows || outcome.columns.empty())
        return std::nullopt;
    const QString table = outcome.columns.front().table;
    LiveRows live;
    int keyColumn = -1;
    for (size_t c = 0; c < outcome.columns.size(); ++c) {
        const db::SqlColumn &column = outcome.columns[c];
        const db::FieldDefinition *field = eventField(column);
        if (!field || column.table.compare(table, Qt::CaseInsensitive) != 0)
            return std::nullopt;
        if (field->kind == db::FieldKind::AutoIncrement && keyColumn < 0)
            keyColumn = static_cast<int>(c);
        live.fields.append(field->name);
    }
    if (keyColumn < 0)
        return std::nullopt;
    live.table = EventTable(table).name;
    for (const QVariantList &row : outcome.rows)
        live.keys.push_back(row.at(keyColumn).toLongLong());
    return live;
}
