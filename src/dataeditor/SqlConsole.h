#pragma once

// The data editor's work apart from its window: when it asks before a run,
// its log lines, the history file, the result saved as text or XML or
// printed as a fixed-width listing, and which results can be edited in place.

#include "db/SqlScript.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

// The text, trimmed and in capitals, holds DELETE, INSERT or UPDATE anywhere
// (inside a string constant too): the editor asks before running it.
bool AsksBeforeChange(const QString &text);

// A log line: "[" + ClockStamp() + "] " + the text.
QString LogLine(const QString &text);
// Minutes, seconds and milliseconds joined by ":", the hours dropped.
QString ElapsedText(qint64 milliseconds);
// " %d rows affected."
QString RowsAffectedText(qint64 rows);
// The log texts of a finished run, in order: for a statement that returns
// rows their number and "Ok.>>" with the time taken, otherwise "Ok."; then
// the rows affected when a statement changed data.
QStringList RunLogTexts(const db::SqlOutcome &outcome, qint64 elapsedMilliseconds);

// EventDirectory + "sqlhistory.sql": the editor text between openings.
QString SqlHistoryFileName(const QString &eventDirectory);
// An SQL text file (the history, a saved query): plain text, CR LF. Empty
// when the file does not exist; KorventError when it cannot be read or is no
// plain file.
QString LoadSqlText(const QString &fileName);
void SaveSqlText(const QString &fileName, const QString &text);

// The columns' names, each followed by ";", then a line per row with every
// value's text followed by ";"; a name or text that holds ";", a double quote
// or a line break is enclosed in double quotes, its quotes doubled (as in CSV).
QStringList ResultTextLines(const db::SqlOutcome &outcome);
void SaveResultAsText(const QString &fileName, const db::SqlOutcome &outcome);
// <sql_results> with a <record> per row, each holding an element per column
// on one line, an empty value too as start and end tag; UTF-8, CR LF. Values are escaped as XML requires ("<" is
// written "&lt;") so that they read back as they are. A column name that
// cannot be an element name raises KorventError.
QByteArray ResultXml(const db::SqlOutcome &outcome);
void SaveResultAsXml(const QString &fileName, const db::SqlOutcome &outcome);

// The width a column takes in listings: a field of the event tables by its
// kind and size, anything else by its longest text (at least its name).
int ColumnDisplayWidth(const db::SqlOutcome &outcome, size_t column);
// The header line and a line per row, each value padded to its column's
// display width + 1.
QStringList ResultPrintLines(const db::SqlOutcome &outcome);

// A 64-bit integer field: a double click shows its value as a time code.
bool IsLargeIntegerColumn(const db::SqlColumn &column);

// A result that is one table's rows with their key can be edited in place.
struct LiveRows
{
    QString table;
    QStringList fields;        // the columns' fields, in column order
    std::vector<qint64> keys;  // the rows' keys, in row order
};
std::optional<LiveRows> LiveRowsOf(const db::SqlOutcome &outcome);
