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
};
