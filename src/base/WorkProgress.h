#pragma once

// How far a long command has come, and whether the operator asked it to stop.
// The window shows it in a progress dialog with Cancel, the command line on
// stderr when that is a terminal. The core reports steps as it goes and looks
// at cancelled() only where stopping leaves the event whole: between teams of
// a calculation; work that is all-or-nothing (an import, a report) raises
// WorkCancelled, so that its transaction or its files in memory are dropped.
//
// step() and cancelled() are called on the thread that does the work, which
// need not be the one that shows the progress.

#include "base/KorventError.h"

#include <QString>

class WorkCancelled : public KorventError
{
public:
    WorkCancelled();
};

class WorkProgress
{
public:
    virtual ~WorkProgress() = default;
    // `what` is being done: `done` of `total` steps (total 0: not known).
    virtual void step(const QString &what, qint64 done, qint64 total) = 0;
    virtual bool cancelled() const { return false; }
    // Raises WorkCancelled once the operator asked to stop.
    void stopIfCancelled() const;
};

// Shows nothing and never stops: for callers with no one to tell.
WorkProgress &NoProgress();
