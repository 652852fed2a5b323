#include "RecordedProgress.h"

#include "base/WorkSteps.h"

#include <QThread>
#include <gtest/gtest.h>

TEST(WorkSteps, AFastLoopPassesOnFewStepsTheFirstAndTheLastInOrder)
{
    RecordedProgress progress;
    constexpr qint64 rows = 300'000;
    WorkSteps steps(progress, QStringLiteral("Importing teams"), rows);
    for (qint64 row = 1; row <= rows; ++row)
        steps.reached(row);
    ASSERT_GE(progress.steps.size(), 2u);
    // However fast the loop, a window is told a few hundred times a second at most.
    EXPECT_LT(progress.steps.size(), 1000u);
    EXPECT_EQ(progress.steps.front().done, 0);
    EXPECT_EQ(progress.steps.back().done, rows);
    EXPECT_EQ(progress.steps.back().what, QStringLiteral("Importing teams"));
    EXPECT_EQ(progress.disorder(), QString());
}

TEST(WorkSteps, SlowStepsAllShowAndACountBeyondTheTotalShowsAsTheTotal)
{
    RecordedProgress progress;
    WorkSteps steps(progress, QStringLiteral("Writing the results"), 3);
    for (qint64 team = 1; team <= 5; ++team) {
        QThread::msleep(6);
        steps.reached(team); // two teams were calculated after the count
    }
    std::vector<qint64> shown;
    for (const RecordedProgress::Step &step : progress.steps)
        shown.push_back(step.done);
    EXPECT_EQ(shown, std::vector<qint64>({0, 1, 2, 3, 3, 3}));
    EXPECT_EQ(progress.disorder(), QString());
}

TEST(WorkSteps, EveryStepLooksWhetherToStop)
{
    RecordedProgress progress;
    progress.stopAtLook = 3;
    WorkSteps steps(progress, QStringLiteral("Importing teams"), 10);
    qint64 done = 0;
    try {
        while (done < 10)
            steps.reached(++done);
        FAIL() << "not stopped";
    } catch (const WorkCancelled &cancelled) {
        EXPECT_EQ(cancelled.message(), QStringLiteral("Cancelled"));
    }
    EXPECT_EQ(done, 3);
}
