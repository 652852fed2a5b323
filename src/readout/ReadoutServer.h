#pragma once

// The readout server: stations connect over TCP, each connection gets a
// worker thread of its own that frames its lines, answers them and stores
// readouts. The server object itself lives in the thread that runs the
// window (or the CLI's event loop) and only accepts, lists and stops.

#include <QAtomicInt>
#include <QMutex>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTcpServer>
#include <QThread>
#include <functional>
#include <memory>

#include "db/LogCheckpointer.h"

class SharedEventSetup;
class TThrdSrvClient;

// The worker thread of one connection; its client object lives in it.
class TTCPDataThread : public QThread
{
    Q_OBJECT
public:
    using QThread::QThread;
};

class ReadoutServer : public QObject
{
    Q_OBJECT

public:
    ReadoutServer(const QString &eventDirectory, const SharedEventSetup &setup, QObject *parent = nullptr);
    // Stops and waits (at most 10 s) for every worker to end.
    ~ReadoutServer() override;

    static QByteArray banner() { return QByteArrayLiteral("K*V Welcome to ResultService\r\n"); }
    static QByteArray busyBanner() { return QByteArrayLiteral("Sorry, too many clients\r\n"); }

    // Listens on all IPv4 addresses; raises KorventError when it cannot (port in use).
    // maxConnections 0 admits any number.
    void start(quint16 port, int maxConnections);
    // Sends "QUIT" to every client, closes their connections and the listener.
    void StopServer();
    bool isListening() const { return m_listener.isListening(); }
    quint16 port() const { return m_listener.serverPort(); }

    // The client list as the window shows it, last connected first.
    struct ClientEntry
    {
        quintptr id;
        QString text;
    };
    QList<ClientEntry> clientEntries() const;
    int clientCount() const;
    // Sends "QUIT" to that client and closes its connection.
    void disconnectClient(quintptr id);

    // A station that sends no line and is sent no notification for this long
    // is sent "QUIT" and closed; 0 keeps idle stations. Applies to
    // connections accepted afterwards.
    static constexpr int DefaultIdleTimeout = 600;
    void setIdleTimeout(int seconds) { m_idleTimeout.storeRelaxed(seconds); }

    // Told, in the worker's thread, of every stored readout's team (by id)
    // once its reply is on its way; it must return at once. None: nobody is.
    using ReadoutFollower = std::function<void(qint64 teamId)>;
    void setReadoutFollower(ReadoutFollower follower);

    void setShowLog(bool on) { m_showLog.storeRelaxed(on); }
    void setDebug(bool on) { m_debug.storeRelaxed(on); }

    // Why readouts are not stored as they should be (stations refused on a
    // database error, or the database files replaced under the server);
    // empty while they are. Set by the last readout of any station.
    QString storeFault() const;

signals:
    void logLine(const QString &line);
    void clientsChanged();
    // storeFault() changed; delivered queued from the workers.
    void storeFaultChanged(const QString &fault);

private:
    class Listener : public QTcpServer
    {
    public:
        explicit Listener(ReadoutServer &server) : m_server(server) {}
    protected:
        void incomingConnection(qintptr descriptor) override { m_server.accept(descriptor); }
    private:
        ReadoutServer &m_server;
    };

    void accept(qintptr descriptor);
    // Called from workers.
    friend class TThrdSrvClient;
    // A log line (with the date-time prefix, or a debug line without it)
    // posted to this object's thread.
    void PostLog(const QString &text, bool withDateTime);
    void pushToClients(TThrdSrvClient *sender, const QByteArray &notification);
    void removeClient(TThrdSrvClient *client);
    void reportStore(const QString &fault);
    void followReadout(qint64 teamId);
    bool showLog() const { return m_showLog.loadRelaxed(); }
    bool debug() const { return m_debug.loadRelaxed(); }

    QString m_eventDirectory;
    const SharedEventSetup &m_setup;
    Listener m_listener{*this};
    int m_maxConnections = 0;
    mutable QMutex m_clientsLock; // the list and every client's flags and name
    QList<TThrdSrvClient *> m_clients;
    QList<QPointer<TTCPDataThread>> m_threads;
    QAtomicInt m_idleTimeout{DefaultIdleTimeout};
    QAtomicInt m_showLog{0};
    QAtomicInt m_debug{0};
    // The workers' connections leave copying the log back to it.
    std::shared_ptr<db::LogCheckpointer> m_checkpointer = std::make_shared<db::LogCheckpointer>();
    QMutex m_followerLock;
    ReadoutFollower m_follower;
    mutable QMutex m_storeFaultLock;
    QString m_storeFault;
};
