#pragma once

// Conditions that do not stop a command, printed to stderr.

#include "base/MessageSink.h"
#include "cli/TerminalProgress.h"

#include <QTextStream>

class StderrSink : public MessageSink
{
public:
    // A message during a long command goes on a line of its own, not after its progress line.
    explicit StderrSink(TerminalProgress *progress = nullptr)
        : m_progress(progress)
    {
    }

    void error(const QString &message) override
    {
        ++errors;
        clearProgress();
        m_err << "error: " << message << Qt::endl;
    }
    void warning(const QString &message) override
    {
        clearProgress();
        m_err << "warning: " << message << Qt::endl;
    }
    Front front() const override { return Front::CommandLine; }

    int errors = 0;

private:
    void clearProgress()
    {
        if (m_progress)
            m_progress->clear();
    }

    TerminalProgress *m_progress;
    QTextStream m_err{stderr};
};
