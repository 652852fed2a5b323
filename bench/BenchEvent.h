#pragma once

// The generated event the calculation and readout benchmarks share: teams of
// three, each runner visiting 40 of 40 controls.

#include "shell/EventGenerator.h"

inline GeneratorOptions BenchEventOptions(int teams)
{
    GeneratorOptions options;
    options.seed = 2026;
    options.teams = teams;
    options.minRunners = 3;
    options.maxRunners = 3;
    options.controls = 40;
    options.visits = 40;
    return options;
}
