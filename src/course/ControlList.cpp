#include "course/ControlList.h"

#include "db/Connection.h"

QString ControlListLine(const ControlRow &row)
{
    // Built piece by piece: a "%" in a code or label is text, not a placeholder.
    const auto number = [](qint64 value, int width) { return QString::number(value).rightJustified(width, u' '); };
    return row.controlnr.rightJustified(5, u' ') + u' ' + number(row.unitnumber, 4) + u' ' + number(row.points, 3) + u' '
        + row.type.rightJustified(1, u' ') + u' ' + number(row.posX, 4) + u' ' + number(row.posY, 4) + u' ' + row.text;
}

QStringList ControlListLines(db::Connection &connection)
{
    QSqlQuery query = connection.exec(QStringLiteral(
        "SELECT controlnr, unitnumber, points, type, pos_x, pos_y, text FROM control ORDER BY controlnr, id"));
    QStringList lines;
    while (query.next()) {
        ControlRow row;
        row.controlnr = query.value(0).toString();
        row.unitnumber = query.value(1).toLongLong();
        row.points = query.value(2).toLongLong();
        row.type = query.value(3).toString();
        row.posX = query.value(4).toLongLong();
        row.posY = query.value(5).toLongLong();
        row.text = query.value(6).toString();
        lines.append(ControlListLine(row));
    }
    return lines;
}

QString ControlListTitle()
{
    return QStringLiteral("Courses");
}
