#pragma once

// Shell completion for korvent-cli, made from the command table and the
// report registry, so that it knows every command the usage text names.

#include "cli/CliCommands.h"

#include <QString>
#include <QStringList>

// The words a command takes after its name, read from its usage line: its
// subcommands and options, and for KIND the registry's kinds of its family.
QStringList CompletionWords(const CliCommand &command);
// Whether one of its arguments names a file.
bool CompletionTakesFiles(const CliCommand &command);
// The bash completion script: the whole file, ending with its `complete` line.
QString BashCompletionScript();
