#pragma once

// The fields of a line of an entry file, as entry systems write them: ";" or
// "," between the values, values with or without double quotes around them.

#include <QChar>
#include <QString>
#include <QStringList>

// Splits a line whose fields may stand in double quotes. A quote opens a
// quoted field; inside it a separator ends the field only right after a
// quote, which is dropped; other quotes and separators inside belong to the
// field. A field at an index above maxIndex is an error (KorventError).
QStringList SplitQuotedFields(const QString &text, QChar separator, int maxIndex);

// The value without the double quotes around it: "" and an empty text give
// an empty text; texts shorter than 3 characters and texts that do not start
// with a quote are returned as they are.
QString StripQuotes(const QString &text);

// The fields of a team entry line: split at ";" or, when that gives fewer
// than 8 fields, at ","; quoted fields when the line starts with a quote.
// More than 21 fields is an error.
QStringList SplitEntryLine(const QString &line);
