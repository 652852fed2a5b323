#pragma once

// The course picture saved as the base image of route maps: every control
// drawn over the map picture (or a blank sheet) as a GIF file named "base" +
// the map file name in the event folder, replacing an earlier one.

#include <QString>

class TdmData;
struct EventSettings;

QString CourseMapFileName(const EventSettings &settings, const QString &eventDirectory);

// Returns the file written. Raises KorventError when the offsets are not
// whole numbers, the map file has no name, the picture cannot be drawn or
// the file cannot be written; an earlier file then stays as it was.
QString SaveCourseMapFile(TdmData &data, const EventSettings &settings, const QString &eventDirectory);
