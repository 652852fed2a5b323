#pragma once

// Conditions that do not stop a command, printed to stderr.

#include "base/MessageSink.h"

#include <QTextStream>

class StderrSink : public MessageSink
{
public:
    void error(const QString &message) override
    {
        ++errors;
        m_err << "error: " << message << Qt::endl;
    }
    void warning(const QString &message) override { m_err << "warning: " << message << Qt::endl; }
    Front front() const override { return Front::CommandLine; }

    int errors = 0;

private:
    QTextStream m_err{stderr};
};
