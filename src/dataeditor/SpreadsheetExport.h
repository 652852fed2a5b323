#pragma once

// A statement's rows as a spreadsheet file (.xlsx): one sheet "AbsDb", the
// chosen columns' names in bold in row 1, the rows from row 2 on.

#include "db/SqlScript.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

// The record limit of "All".
inline constexpr qint64 AllRecords = 2'147'483'646;

// What the limit box offers: "All", "100", "200", "500", "1000", "5000".
QStringList RecordLimitChoices();
// "All", or the text (trimmed, in capitals) read as a whole number; nullopt
// when it is not one.
std::optional<qint64> RecordLimit(const QString &choice);

// " Records exported : " + count, and the text at the end.
QString RecordsExportedText(qint64 count);
QString ExportDoneText(qint64 count);
// What was written when the workbook could not be opened: no word of success.
QString ExportNotOpenedText(qint64 count, const QString &fileName);

// Writes the chosen columns (columns[c] for column c) of at most `limit`
// rows into a new workbook at fileName: the header row bold, each column
// Arial 10 as wide as its display width + 2 (at most 50), the headers of
// number and date columns right-aligned; dates as dates shown mm-dd-yyyy,
// texts as texts (also when they look like numbers), numbers as numbers.
// `progress` is told the count after every 100 rows. Returns the rows
// written; raises KorventError when the file cannot be written (a value the
// sheet cannot hold included), and leaves the file as it was then.
qint64 WriteSpreadsheet(const QString &fileName, const db::SqlOutcome &outcome, const std::vector<bool> &columns, qint64 limit,
                        const std::function<void(qint64 count)> &progress);
