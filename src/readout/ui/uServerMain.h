#pragma once

// The server window: start and stop the readout server, see its clients and
// its log, and serve the live results on the event network beside it.

#include "store/EventLocation.h"

#include <QWidget>
#include <QSet>
#include <memory>

class QCheckBox;
class QLabel;
class QListView;
class QListWidget;
class QSpinBox;
class LiveResults;
class ReadoutServer;
class ServerLogModel;
class SharedEventSetup;
class TAlarmLabel;

class TfServerMain : public QWidget
{
    Q_OBJECT

public:
    TfServerMain(const EventLocation &location, const SharedEventSetup &setup, QWidget *parent = nullptr);
    ~TfServerMain() override;

    ReadoutServer &server() { return *m_server; }
    ServerLogModel &log() { return *m_log; }

    void cbServerClick(bool checked);
    void RefreshClientList();
    void Disconnect1Click();
    // Serves the live results on the port of seLivePort, or stops serving them.
    void cbLiveResultsClick(bool checked);
    // The live results while they are served.
    LiveResults *liveResults() { return m_live.get(); }

private:
    void saveLivePort(int port);

    EventLocation m_location;
    const SharedEventSetup &m_setup;
    std::unique_ptr<LiveResults> m_live;
    QSet<QString> m_toldLive; // the live results' lines in the log
    ReadoutServer *m_server;
    ServerLogModel *m_log;
    QCheckBox *cbServer;
    QCheckBox *cbServerLog;
    QCheckBox *cbDebug;
    QLabel *lTCPAddr;
    QCheckBox *cbLiveResults;
    QSpinBox *seLivePort;
    QLabel *lLiveAddr;
    TAlarmLabel *lStoreFault;
    QListWidget *lbClients;
    QListView *mLogi;
};
