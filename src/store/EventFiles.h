#pragma once

// The files that hold an event beside its reports: the database with the
// files SQLite keeps next to it, the event setup.ini and classlist.tree.
// Each has its own writer; an export or a saved copy never replaces one,
// whatever name (or link) the operator chose for it.

#include <QString>

// Raises KorventError naming `target` when it reaches one of those files.
void RefuseEventFileAsTarget(const QString &eventDirectory, const QString &target);
