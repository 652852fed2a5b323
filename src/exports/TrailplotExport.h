#pragma once

// Input files of the route-drawing program Trailplot, written into the event
// folder beside the map picture and named after it (B is the map file name
// before its first "."): B.rada places every control on the picture in
// pixels, B.txt lists, for each calculated team, the controls it visited in
// time order. Both are in the program's text encoding with CR LF line ends.

#include "output/ReportContext.h"

// Raises KorventError "No MAP file", writing nothing, when the map picture is
// missing; a picture that cannot be read, or a DPI or start offset that is
// not a whole number, also stops it with a clear error.
void ExportTrailplotRoute(const ReportContext &context);
