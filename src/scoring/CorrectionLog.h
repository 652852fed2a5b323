#pragma once

// The log of hand corrections, "timelog.txt" in the event folder: a plain
// text file in the program's text encoding, one line per correction, newest
// first. An event on a server keeps the log every seat reads as rows of its
// database (EventRecords); each seat's file gets its own lines and edits too.

#include "store/EventRecords.h"

#include <QString>
#include <QStringList>

// The log's lines; none when there is no log yet. A log that exists but
// cannot be read raises KorventError, so that it is never written over.
QStringList LoadCorrectionLog(const QString &eventDirectory);
// Writes the operator's edit of the log shown: `shown` as it was loaded,
// `edited` as the operator left it. Lines that other programs put at the top
// since stay above the edit. Returns the log as written.
QStringList MergeCorrectionLog(const QString &eventDirectory, const QStringList &shown, const QStringList &edited);
// Raises the KorventError a line put at the top would raise for what is at the
// log's name (the database's file, a folder, a device, a pipe, a file that is
// not text in the program's encoding), so that a correction is refused before
// it is made rather than made without its line.
void RefuseUnwritableCorrectionLog(const QString &eventDirectory);
// On a server: puts one line at the top of the shared log, inside the
// transaction this thread has open on the event (the correction's own), so
// that the correction and its line are stored both or neither. False, and
// nothing written, for an event that keeps its log as the folder's file.
bool ShareCorrectionLogLine(const QString &eventDirectory, const QString &line);
// Puts one line at the top of the seat's file. Like MergeCorrectionLog, it
// refuses a log that is not text in the program's encoding rather than garble
// its lines.
void PrependCorrectionLog(const QString &eventDirectory, const QString &line);
