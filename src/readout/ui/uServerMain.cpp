#include "readout/ui/uServerMain.h"

#include "readout/ReadoutServer.h"
#include "readout/ServerLogModel.h"

#include "liveresults/LiveResults.h"

#include "base/ui/AlarmLabel.h"
#include "base/ui/OverrideCursor.h"
#include "store/EventSetup.h"
#include "base/KorventError.h"
#include "base/Platform.h"

#include <QAction>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QMessageBox>
#include <QSpinBox>
#include <QVBoxLayout>

TfServerMain::TfServerMain(const EventLocation &location, const SharedEventSetup &setup, QWidget *parent)
    : QWidget(parent)
    , m_location(location)
    , m_setup(setup)
    , m_server(new ReadoutServer(location.eventDirectory, setup, this))
    , m_log(new ServerLogModel(this))
{
    setObjectName(QStringLiteral("fServerMain"));
    setWindowTitle(tr("Server"));

    cbServer = new QCheckBox(tr("START Server service"), this);
    cbServer->setObjectName(QStringLiteral("cbServer"));
    cbServerLog = new QCheckBox(tr("Show Log"), this);
    cbServerLog->setObjectName(QStringLiteral("cbServerLog"));
    cbDebug = new QCheckBox(tr("Debug"), this);
    cbDebug->setObjectName(QStringLiteral("cbDebug"));
    QFont italic = cbDebug->font();
    italic.setItalic(true);
    cbDebug->setFont(italic);
    auto *cbWebService = new QCheckBox(tr("Web service"), this);
    cbWebService->setObjectName(QStringLiteral("cbWebService"));
    cbWebService->hide();
    lTCPAddr = new QLabel(this);
    lTCPAddr->setObjectName(QStringLiteral("lTCPAddr"));
    lTCPAddr->setTextInteractionFlags(Qt::TextSelectableByMouse);
    cbLiveResults = new QCheckBox(tr("Live results (HTTP) on port"), this);
    cbLiveResults->setObjectName(QStringLiteral("cbLiveResults"));
    seLivePort = new QSpinBox(this);
    seLivePort->setObjectName(QStringLiteral("seLivePort"));
    seLivePort->setRange(1, 65535);
    seLivePort->setValue(setup.snapshot()->settings.livePort);
    lLiveAddr = new QLabel(this);
    lLiveAddr->setObjectName(QStringLiteral("lLiveAddr"));
    lLiveAddr->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lStoreFault = new TAlarmLabel(this);
    lStoreFault->setObjectName(QStringLiteral("lStoreFault"));

    lbClients = new QListWidget(this);
    lbClients->setObjectName(QStringLiteral("lbClients"));
    lbClients->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto *disconnect = new QAction(tr("Disconnect"), lbClients);
    disconnect->setObjectName(QStringLiteral("Disconnect1"));
    disconnect->setToolTip(tr("Disconnect Client"));
    lbClients->addAction(disconnect);
    connect(disconnect, &QAction::triggered, this, &TfServerMain::Disconnect1Click);
    connect(lbClients, &QListWidget::itemDoubleClicked, this, &TfServerMain::RefreshClientList);

    mLogi = new QListView(this);
    mLogi->setObjectName(QStringLiteral("mLogi"));
    mLogi->setModel(m_log);
    mLogi->setUniformItemSizes(true);
    mLogi->setFont(QFont(QStringLiteral("Monospace"), 9));

    connect(cbServer, &QCheckBox::toggled, this, &TfServerMain::cbServerClick);
    connect(cbLiveResults, &QCheckBox::toggled, this, &TfServerMain::cbLiveResultsClick);
    connect(cbServerLog, &QCheckBox::toggled, m_server, &ReadoutServer::setShowLog);
    connect(cbDebug, &QCheckBox::toggled, m_server, &ReadoutServer::setDebug);
    connect(m_server, &ReadoutServer::logLine, m_log, &ServerLogModel::addLine);
    connect(m_server, &ReadoutServer::clientsChanged, this, &TfServerMain::RefreshClientList);
    connect(m_server, &ReadoutServer::storeFaultChanged, lStoreFault, [this] { lStoreFault->setAlarm(m_server->storeFault()); });

    auto *options = new QVBoxLayout;
    options->addWidget(cbServer);
    options->addWidget(cbServerLog);
    options->addWidget(cbDebug);
    options->addWidget(lTCPAddr);
    options->addStretch();
    auto *top = new QHBoxLayout;
    top->addLayout(options);
    top->addWidget(lbClients, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lStoreFault);
    layout->addLayout(top);
    auto *live = new QHBoxLayout;
    live->addWidget(cbLiveResults);
    live->addWidget(seLivePort);
    live->addWidget(lLiveAddr, 1);
    layout->addLayout(live);
    layout->addWidget(mLogi, 2);
    resize(640, 420);
}

TfServerMain::~TfServerMain() = default;

void TfServerMain::cbServerClick(bool checked)
{
    QString failure;
    {
        const OverrideCursor wait(Qt::WaitCursor);
        if (!checked) {
            m_server->StopServer();
            lTCPAddr->clear();
            return;
        }
        const EventSettings &settings = m_setup.snapshot()->settings;
        try {
            m_server->start(static_cast<quint16>(settings.serverPort), settings.maxConnections);
            lTCPAddr->setText(Platform::localAddresses().join(u'\n'));
            return;
        } catch (const KorventError &error) {
            failure = error.message();
        }
    }
    const QSignalBlocker blocker(cbServer);
    cbServer->setChecked(false);
    QMessageBox::critical(this, tr("Korvent"), failure);
}

void TfServerMain::RefreshClientList()
{
    lbClients->clear();
    for (const ReadoutServer::ClientEntry &entry : m_server->clientEntries()) {
        auto *item = new QListWidgetItem(entry.text, lbClients);
        item->setData(Qt::UserRole, QVariant::fromValue(entry.id));
    }
}

void TfServerMain::Disconnect1Click()
{
    if (QListWidgetItem *item = lbClients->currentItem())
        m_server->disconnectClient(item->data(Qt::UserRole).value<quintptr>());
    RefreshClientList();
}

// Kept with the event, as the readout server's port is: the next session
// serves where the phones were sent. The shared setup follows the file.
void TfServerMain::saveLivePort(int port)
{
    if (m_setup.snapshot()->settings.livePort != port)
        EventSettings::update(m_location.eventDirectory, [port](EventSettings &settings) { settings.livePort = port; });
}

void TfServerMain::cbLiveResultsClick(bool checked)
{
    QString failure;
    {
        const OverrideCursor wait(Qt::WaitCursor);
        m_live.reset();
        lLiveAddr->clear();
        seLivePort->setEnabled(!checked);
        if (!checked)
            return;
        // Failures of the live results go to the log, from whichever thread
        // they come; each once while the window lives, not again each time
        // the live results are switched on.
        auto live = std::make_unique<LiveResults>(m_location, m_setup, [this](const QString &message) {
            QMetaObject::invokeMethod(
                this,
                [this, message] {
                    if (!m_toldLive.contains(message)) {
                        m_toldLive.insert(message);
                        m_log->addLine(message);
                    }
                },
                Qt::QueuedConnection);
        });
        try {
            saveLivePort(seLivePort->value());
            live->start(QHostAddress(QHostAddress::AnyIPv4), static_cast<quint16>(seLivePort->value()));
            live->follow(*m_server);
            lLiveAddr->setText(live->urls().join(u'\n'));
            m_live = std::move(live);
            return;
        } catch (const KorventError &error) {
            failure = error.message();
        }
    }
    seLivePort->setEnabled(true);
    const QSignalBlocker blocker(cbLiveResults);
    cbLiveResults->setChecked(false);
    QMessageBox::critical(this, tr("Korvent"), failure);
}
