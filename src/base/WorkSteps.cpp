#include "base/WorkSteps.h"

#include <algorithm>

namespace {

// A few hundred steps a second are as many as anyone can see.
constexpr qint64 passedEveryNs = 5'000'000;

} // namespace

WorkSteps::WorkSteps(WorkProgress &progress, const QString &what, qint64 total)
    : m_progress(progress)
    , m_what(what)
    , m_total(total)
{
    m_progress.step(m_what, 0, m_total);
    m_sincePassed.start();
}

void WorkSteps::reached(qint64 done)
{
    // A total counted before the loop may fall short of rows committed meanwhile.
    done = std::min(done, m_total);
    // The last step always shows: the display ends full, not a little short.
    if ((done == m_total && m_passed != done) || m_sincePassed.nsecsElapsed() >= passedEveryNs) {
        m_progress.step(m_what, done, m_total);
        m_passed = done;
        m_sincePassed.restart();
    }
    m_progress.stopIfCancelled();
}
