#pragma once

// How stored values show in grids and lists: status codes as their texts,
// results as ResultText, durations as clock texts, dates in the short date
// format and date-times with the long time format after it. Every window that
// shows these fields goes through here.

#include <QString>
#include <QVariant>

QString FieldDisplayText(const QString &table, const QString &field, const QVariant &value);
// The column title of a field: its label, or its name when it has none.
QString FieldDisplayLabel(const QString &table, const QString &field);
