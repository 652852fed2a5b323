#pragma once

// The server window: start and stop the readout server, see its clients and its log.

#include <QWidget>

class QCheckBox;
class QLabel;
class QListView;
class QListWidget;
class ReadoutServer;
class ServerLogModel;
class SharedEventSetup;
class TAlarmLabel;

class TfServerMain : public QWidget
{
    Q_OBJECT

public:
    TfServerMain(const QString &eventDirectory, const SharedEventSetup &setup, QWidget *parent = nullptr);
    ~TfServerMain() override;

    ReadoutServer &server() { return *m_server; }
    ServerLogModel &log() { return *m_log; }

    void cbServerClick(bool checked);
    void RefreshClientList();
    void Disconnect1Click();

private:
    const SharedEventSetup &m_setup;
    ReadoutServer *m_server;
    ServerLogModel *m_log;
    QCheckBox *cbServer;
    QCheckBox *cbServerLog;
    QCheckBox *cbDebug;
    QLabel *lTCPAddr;
    TAlarmLabel *lStoreFault;
    QListWidget *lbClients;
    QListView *mLogi;
};
