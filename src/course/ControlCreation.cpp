#include "course/ControlCreation.h"

#include "base/KorventError.h"

#include <QCoreApplication>

std::vector<ControlRow> CreatedControlRows(qint64 from, qint64 to, bool unitPlus11, bool checkInOut)
{
    for (const qint64 number : {from, to})
        if (number < LowestControlNumber || number > HighestControlNumber)
            throw KorventError(QCoreApplication::translate("ControlCreation", "Control number %1 is outside %2 to %3")
                                   .arg(number)
                                   .arg(LowestControlNumber)
                                   .arg(HighestControlNumber));
    std::vector<ControlRow> rows;
    for (qint64 number = from; number <= to; ++number)
        rows.push_back(ScoringControlRow(number, unitPlus11, QStringLiteral("P:") + QString::number(number)));
    rows.push_back(StartRow(QStringLiteral("Start")));
    rows.push_back(FinishRow(QStringLiteral("Finish")));
    if (checkInOut) {
        rows.push_back(CheckInRow());
        rows.push_back(CheckOutRow());
    }
    return rows;
}

qsizetype CreateControls(TdmData &data, qint64 from, qint64 to, bool unitPlus11, bool checkInOut)
{
    const std::vector<ControlRow> rows = CreatedControlRows(from, to, unitPlus11, checkInOut);
    InsertControlRows(data, rows);
    return static_cast<qsizetype>(rows.size());
}
