#pragma once

// The headless commands of korvent-cli. Each runs the same core code as the
// main window's command and writes its findings to `out`; errors are raised
// as KorventError and reported by the caller.

#include "store/EventLocation.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTextStream>
#include <memory>
#include <vector>

class TdmData;
struct TeamRow;
struct EventSetup;
namespace db { class Connection; }

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
    // Long reading work (a report, an export) runs at a lower
    // priority: on the event laptop it gives way to the readout server. Work
    // that takes the writer lock does not: held by a thread that waits for a
    // processor, the lock would keep the readouts waiting longer.
    bool givesWay = false;
    // In place of run, for a command that must work without opening the
    // event's database (binding the folder while its server is down).
    int (*runOnFolder)(const EventLocation &location, QTextStream &out, const QStringList &arguments) = nullptr;
};

const std::vector<CliCommand> &CliCommands();

// The options before the command, with their line of the usage text.
struct CliOption
{
    const char *name;
    const char *usage;
};

const std::vector<CliOption> &CliOptions();

namespace cli {
// The command line's messages share one translation context.
struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(Cli)
};
// Raises KorventError naming the command and the words it was given.
void requireNoArguments(const char *command, const QStringList &arguments);
// The whole number `text`; raises KorventError naming `what` when it is none.
qint64 wholeNumber(const QString &text, const char *what);
// The first team with the number `text`, as the calculation finds it; raises
// KorventError for a text that is no whole number or a number no team has.
TeamRow teamNumbered(db::Connection &connection, const QString &text);
// The event's setup as its files hold it now.
std::shared_ptr<const EventSetup> storedSetup(const QString &eventDirectory);
}
