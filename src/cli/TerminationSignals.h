#pragma once

#include <QObject>

class QSocketNotifier;

// SIGINT and SIGTERM delivered as a Qt signal in the event loop (through a
// socket pair, since a signal handler may do almost nothing itself).
class TerminationSignals : public QObject
{
    Q_OBJECT

public:
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

signals:
    void received();

private:
    QSocketNotifier *m_notifier;
};
