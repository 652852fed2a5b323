#pragma once

// Entries may be imported before the classes are set up, so classes unknown
// to the event do not stop the import; the operator is told which they are.

struct EventSetup;
struct TeamImportSummary;
class MessageSink;

// Warns naming the classes of the imported teams that the class tree does not
// hold, and the extra classes that the event's extra classes do not, each with
// how many teams stand in it; nothing when every class is known.
void WarnImportedClassesUnknown(const TeamImportSummary &summary, const EventSetup &setup, MessageSink &messages);
