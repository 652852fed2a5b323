#pragma once

// Rows of the control table as the control commands write them: numbered
// scoring controls worth their number div 10, and the start, finish,
// check-in and check-out rows with their fixed unit numbers.

#include "base/WorkProgress.h"

#include <QString>
#include <vector>

class TdmData;

struct ControlRow
{
    QString controlnr;
    qint64 unitnumber = 0;
    qint64 points = 0;
    QString type;
    qint64 posX = -1; // tenths of a millimetre on the map; -1 when not set
    qint64 posY = -1;
    QString text;
};

// Unit numbers are the control numbers, or those + 11 when the units are set so.
ControlRow ScoringControlRow(qint64 number, bool unitPlus11, const QString &text);
ControlRow StartRow(const QString &text);
ControlRow FinishRow(const QString &text);
ControlRow CheckInRow();
ControlRow CheckOutRow();

// Adds the rows after those the table holds. Texts longer than their field
// are cut to its size. The caller holds the transaction, which Cancel
// (WorkCancelled between rows) leaves to be rolled back.
void AddControlRows(TdmData &data, const std::vector<ControlRow> &rows, WorkProgress &progress = NoProgress());
// The same in a transaction of its own: all rows or none.
void InsertControlRows(TdmData &data, const std::vector<ControlRow> &rows);
