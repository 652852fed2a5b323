#pragma once

// Controls and the map reference from a course-setting program's course data
// file (IOF XML 2.0.3 CourseData, as OCAD 9 exports it). Numbers in the file
// use "." for decimals whatever the regional settings; map positions in
// millimetres become tenths of a millimetre, truncated toward zero.

#include "base/WorkProgress.h"
#include "course/ControlRows.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

struct EventSettings;

// The map's scale and reference point, as the event settings hold them.
struct MapReference
{
    qint64 scale;
    qint64 offsetX;
    qint64 offsetY;
};

struct CourseData
{
    std::optional<MapReference> map; // the last Map element's, if any
    std::vector<ControlRow> rows;    // in the order of the file
    // The start and the finish are one row each, found by their code: the
    // first StartPoint and FinishPoint are those rows, the codes of any later
    // ones are kept here for the operator to be told.
    QStringList otherStarts;
    QStringList otherFinishes;
};

// Reads the whole file before anything is stored. Raises KorventError naming
// the file and what is wrong: unreadable, not well-formed, not course data, or
// a number that is not one.
CourseData ReadCourseData(const QString &fileName, bool unitPlus11);

// Adds the file's controls in one transaction (nothing when the file is
// refused) and returns what was read: the caller sets the map reference where
// the live settings are. `beforeCommit` runs with what was read once the rows
// are in, before they are committed: when it raises, no row is added. Cancel
// is heeded until `beforeCommit` runs, and adds no row either.
CourseData ImportCourseData(TdmData &data, const QString &fileName, bool unitPlus11,
                            const std::function<void(const CourseData &)> &beforeCommit = {},
                            WorkProgress &progress = NoProgress());

void ApplyMapReference(EventSettings &settings, const MapReference &map);
