#include "base/WorkProgress.h"

#include <QCoreApplication>

WorkCancelled::WorkCancelled()
    : KorventError(QCoreApplication::translate("WorkProgress", "Cancelled"))
{
}

void WorkProgress::stopIfCancelled() const
{
    if (cancelled())
        throw WorkCancelled();
}

namespace {

class SilentProgress final : public WorkProgress
{
public:
    void step(const QString &, qint64, qint64) override {}
};

} // namespace

WorkProgress &NoProgress()
{
    static SilentProgress silent;
    return silent;
}
