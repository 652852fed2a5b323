#pragma once

// What every benchmark program shares: reading its numeric options and timing
// the best of several runs.

#include <QElapsedTimer>
#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <sys/resource.h>

// True after printing `usage` when the command line asks for help: the
// program then stops rather than run for minutes.
inline bool printedUsage(const QStringList &args, const char *usage)
{
    if (!args.contains(QLatin1String("--help")) && !args.contains(QLatin1String("-h")))
        return false;
    std::fputs(usage, stdout);
    return true;
}

// The number after `name` on the command line; `fallback` when it is not given.
inline int option(const QStringList &args, const char *name, int fallback)
{
    const qsizetype at = args.indexOf(QLatin1String(name));
    return at >= 0 && at + 1 < args.size() ? args[at + 1].toInt() : fallback;
}

// Processor time of all threads so far, which other programs on the machine do
// not inflate.
inline double processorSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The best wall-clock time of the runs; `processor` gets the processor time of
// that run.
inline double bestOf(int runs, const std::function<void()> &work, double *processor = nullptr)
{
    double best = 1e9;
    for (int i = 0; i < runs; ++i) {
        const double cpu = processorSeconds();
        QElapsedTimer timer;
        timer.start();
        work();
        const double wall = timer.nsecsElapsed() / 1e9;
        if (wall < best) {
            best = wall;
            if (processor)
                *processor = processorSeconds() - cpu;
        }
    }
    return best;
}
