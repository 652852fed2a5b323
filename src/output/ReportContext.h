#pragma once

// What a report or export run is given: what the operator asked for, and the
// event, output and listeners it works with.

#include "output/ReportOutput.h"

#include <QString>
#include <QStringList>

class MessageSink;
class WorkProgress;
namespace db { class Connection; }
struct EventLocation;
struct EventSetup;

// What the operator asked for. A field is set only for a kind that takes its option.
struct ReportRequest
{
    QStringList classes;   // Classes: in the chooser's order
    bool perClass = false; // PerClass
    QString encoding;      // Encoding: by name; empty for the program's text encoding
    bool compress = false; // Compress
    QString target;        // the file the operator chose, for kinds writing to ReportFolder::Chosen
};

struct ReportContext
{
    db::Connection &connection;
    const EventSetup &setup;
    ReportOutput &output;
    // Where a run reports what does not stop it (a team whose punch list
    // cannot be worked out); nullptr leaves such reports out.
    MessageSink *messages = nullptr;
    QString eventDirectory = QString(); // where the event's own files are read (the map picture)
    // The event's folders and the program's check settings: the results need
    // them. The windows and the command line always give them.
    const EventLocation *location = nullptr;
    // Where a run reports its steps and learns that the operator asked to
    // stop; nullptr: no one to tell. A run is all-or-nothing: Cancel raises
    // WorkCancelled before the output is committed.
    WorkProgress *progress = nullptr;

    WorkProgress &workProgress() const;
};
