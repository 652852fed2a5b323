#pragma once

// Entries may be imported before the classes are set up, so classes unknown
// to the event do not stop the import; the operator is told which they are.

#include <QStringList>

struct EventSetup;
struct TeamImportSummary;

// Warnings naming the classes of the imported teams that the class tree does
// not hold, and the extra classes that the event's extra classes do not, each
// with how many teams stand in it; none when every class is known.
QStringList ImportedClassesUnknown(const TeamImportSummary &summary, const EventSetup &setup);
