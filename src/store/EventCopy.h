#pragma once

// Moves a whole event between databases (an event folder's SQLite file and a
// database on a server, either way): every row of every table with its key,
// in one transaction of the target, which must hold no rows; the next keys
// the target hands out follow the copied ones.

#include "db/DatabaseAddress.h"

// Raises KorventError naming the target when it holds rows (nothing is
// written then) and when the copy fails (the target is left as it was).
// Returns the number of rows copied. `eventDirectory` is the folder whose
// own file is the source or the target.
qint64 CopyEventDatabase(const QString &eventDirectory, const db::DatabaseAddress &source, const db::DatabaseAddress &target);
