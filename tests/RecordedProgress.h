#pragma once

// A progress that keeps every step it is told and, when asked to, says
// "stop" at its n-th look: a loop that looks once a step stops part-way.

#include "base/WorkProgress.h"

#include <QString>
#include <vector>

struct RecordedProgress : WorkProgress
{
    struct Step
    {
        QString what;
        qint64 done;
        qint64 total;
    };
    std::vector<Step> steps;
    int stopAtLook = 0; // 0: never
    mutable int looks = 0;

    void step(const QString &what, qint64 done, qint64 total) override { steps.push_back({what, done, total}); }
    bool cancelled() const override { return stopAtLook > 0 && ++looks >= stopAtLook; }

    // The first step out of order: a count going back within one piece of
    // work, or beyond its total; empty when there is none.
    QString disorder() const
    {
        for (size_t i = 0; i < steps.size(); ++i) {
            const Step &s = steps[i];
            const QString where = QStringLiteral("step %1 (%2: %3 of %4)").arg(i).arg(s.what).arg(s.done).arg(s.total);
            if (s.done < 0 || s.done > s.total)
                return where + QStringLiteral(" is outside its total");
            if (i > 0 && steps[i - 1].what == s.what && steps[i - 1].total == s.total && steps[i - 1].done > s.done)
                return where + QStringLiteral(" goes back");
        }
        return QString();
    }
};
