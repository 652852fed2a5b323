#pragma once

#include "base/MessageSink.h"

class QWidget;

// Shows the core's reports in message boxes over a window.
class MessageBoxSink : public MessageSink
{
public:
    explicit MessageBoxSink(QWidget *parent) : m_parent(parent) {}
    void error(const QString &message) override;
    void warning(const QString &message) override;

private:
    QWidget *m_parent;
};
