#pragma once

// The steps of one long loop that is all-or-nothing (an import, a report).
// A loop may count every row: the steps reach the progress at most every few
// milliseconds, enough for any display and too few to flood a window's event
// queue, while the request to stop is looked at on every one.

#include "base/WorkProgress.h"

#include <QElapsedTimer>

class WorkSteps
{
public:
    // Tells the progress that `what` begins: 0 of `total` steps.
    WorkSteps(WorkProgress &progress, const QString &what, qint64 total);

    // `done` steps of the total are done. Raises WorkCancelled once the
    // operator asked to stop, so that the loop's transaction or files are dropped.
    void reached(qint64 done);

private:
    WorkProgress &m_progress;
    QString m_what;
    qint64 m_total;
    qint64 m_passed = 0; // the last step passed on
    QElapsedTimer m_sincePassed;
};
