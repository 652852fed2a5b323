#pragma once

// Reads every #include of the source tree and judges it against the layer table.

#include "architecture/LayerTable.h"

#include <QSet>
#include <QString>
#include <QStringList>

// Every fault of the tree below `sourceRoot` (the src/ folder), one line each,
// paths relative to the folder above it:
// - an include that goes up or sideways, naming the file, the line, the header
//   and the layers of both; an include is followed where the compiler finds it
//   (a quoted name next to the including file first, then src/ and the
//   generated headers of the "X.h.in" files), with ".." taken as written;
// - an include that reaches a file of src/ in a folder no row names;
// - a folder holding source files that no row of the table names, and a row's
//   place that is not there;
// - a header of `widgetHeaders` (the names QtWidgets and QtPrintSupport give
//   their headers) included from outside a ui/ folder.
QStringList CheckIncludes(const LayerTable &table, const QString &sourceRoot, const QSet<QString> &widgetHeaders);

// The header names found in the folders.
QSet<QString> HeaderNames(const QStringList &folders);
