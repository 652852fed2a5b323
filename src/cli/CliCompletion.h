#pragma once

// Shell completion for korvent-cli, made from the command table and the
// report registry, so that it knows every command and option the usage text
// names, and offers a word only where the command takes it.

#include <QString>

// The bash completion script: the whole file, ending with its `complete` line.
QString BashCompletionScript();
