#include "course/ControlRows.h"
#include "db/StoredValue.h"

#include "base/WorkSteps.h"
#include "db/Connection.h"
#include "store/EventSchema.h"
#include "store/uData.h"

#include <QCoreApplication>

namespace {

ControlRow specialRow(const QString &code, qint64 unitnumber, const QString &text)
{
    ControlRow row;
    row.controlnr = code;
    row.unitnumber = unitnumber;
    row.type = code;
    row.text = text;
    return row;
}

// The table keeps a text to its field's size; a character is not split in two.
QString fitted(const QString &text, const QString &field)
{
    QString kept = text.left(EventTable(QStringLiteral("control")).field(field)->size);
    if (kept.size() < text.size() && !kept.isEmpty() && kept.back().isHighSurrogate())
        kept.chop(1);
    return kept;
}

} // namespace

ControlRow ScoringControlRow(qint64 number, bool unitPlus11, const QString &text)
{
    ControlRow row;
    row.controlnr = QString::number(number);
    row.unitnumber = unitPlus11 ? number + 11 : number;
    row.points = number / 10;
    row.type = QStringLiteral("C");
    row.text = text;
    return row;
}

ControlRow StartRow(const QString &text)
{
    return specialRow(QStringLiteral("S"), 10, text);
}

ControlRow FinishRow(const QString &text)
{
    return specialRow(QStringLiteral("F"), 11, text);
}

ControlRow CheckInRow()
{
    return specialRow(QStringLiteral("I"), 200, QStringLiteral("CheckIN"));
}

ControlRow CheckOutRow()
{
    return specialRow(QStringLiteral("O"), 201, QStringLiteral("CheckOUT"));
}

void AddControlRows(TdmData &data, const std::vector<ControlRow> &rows, WorkProgress &progress)
{
    db::Connection &connection = data.connection();
    QSqlQuery insert = connection.prepare(QStringLiteral(
        "INSERT INTO control (controlnr, unitnumber, points, type, pos_x, pos_y, text) VALUES (?, ?, ?, ?, ?, ?, ?)"));
    WorkSteps steps(progress, QCoreApplication::translate("ControlRows", "Adding controls"), static_cast<qint64>(rows.size()));
    qint64 added = 0;
    for (const ControlRow &row : rows) {
        // An empty label is stored as no label, as every other empty text.
        const QString text = fitted(row.text, QStringLiteral("text"));
        connection.exec(insert, {fitted(row.controlnr, QStringLiteral("controlnr")), row.unitnumber, row.points, row.type, row.posX,
                                 row.posY, db::StoredText(text)});
        steps.reached(++added);
    }
}

void InsertControlRows(TdmData &data, const std::vector<ControlRow> &rows)
{
    db::Transaction transaction(data.connection());
    AddControlRows(data, rows);
    transaction.commit();
}
