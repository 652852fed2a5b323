#pragma once

#include <QString>

// Where the core reports conditions that do not stop the command it runs
// (one team's failed calculation in a run over all teams, say): a message
// box in the application, stderr in the CLI.
class MessageSink
{
public:
    virtual ~MessageSink() = default;
    virtual void error(const QString &message) = 0;
    virtual void warning(const QString &message) = 0;

    // A message that says how to mend something names the commands of the
    // front end that shows it: menu commands in a window, commands on the CLI.
    enum class Front { Window, CommandLine };
    virtual Front front() const { return Front::Window; }
};

// Messages nobody asked to see.
struct SilentMessages : MessageSink
{
    void error(const QString &) override {}
    void warning(const QString &) override {}
};
