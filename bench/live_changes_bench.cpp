// The live results' scan for changes by other programs (every team's row,
// runners and punch hash) on a generated event of 10,000 teams x 3 runners x
// 40 controls. It runs at most once a second while the event changes.
//
//   live_changes_bench [--teams N] [--runs N]

#include "BenchEvent.h"
#include "BenchOptions.h"

#include "liveresults/LiveChanges.h"
#include "store/uData.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int teams = option(args, "--teams", 10000);
    const int runs = option(args, "--runs", 5);

    QTemporaryDir dir;
    const QString event = dir.path() + u'/';
    TdmData data(event);
    const GeneratedEvent generated = GenerateEvent(data, event, BenchEventOptions(teams));
    std::printf("generated: %d teams, %d runners, %d punches\n", generated.teams, generated.runners, generated.punches);

    qsizetype read = 0;
    const double best = bestOf(runs, [&] { read = ReadTeamStates(data.connection()).size(); });
    std::printf("scan of %lld teams: best %.1f ms of %d runs\n", static_cast<long long>(read), best * 1000, runs);
    return 0;
}
