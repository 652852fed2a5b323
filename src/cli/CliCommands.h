#pragma once

// The headless commands of korvent-cli. Each runs the same core code as the
// main window's command and writes its findings to `out`; errors are raised
// as KorventError and reported by the caller.

#include "shell/StartupSequence.h"

#include <QStringList>
#include <QTextStream>
#include <vector>

class TdmData;

struct CliContext
{
    const EventLocation &location;
    TdmData &data;
    QTextStream &out;
};

struct CliCommand
{
    const char *name;
    const char *usage;
    // Returns the process exit code.
    int (*run)(CliContext &context, const QStringList &arguments);
};

const std::vector<CliCommand> &CliCommands();

namespace cli {
// The command line's messages share one translation context.
QString tr(const char *text);
}
