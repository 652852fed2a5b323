#include "readout/ReadoutServer.h"

#include "readout/TThrdSrvClient.h"

#include "store/DateTime.h"
#include "base/KorventError.h"
#include "store/TimeHelpers.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QMutexLocker>

ReadoutServer::ReadoutServer(const QString &eventDirectory, const SharedEventSetup &setup, QObject *parent)
    : QObject(parent)
    , m_eventDirectory(eventDirectory)
    , m_setup(setup)
{
}

ReadoutServer::~ReadoutServer()
{
    StopServer();
    // Workers still hand log lines over while they end: keep serving them
    // until every worker thread has finished.
    const auto running = [this] {
        return std::any_of(m_threads.cbegin(), m_threads.cend(), [](const QPointer<TTCPDataThread> &t) { return t && t->isRunning(); });
    };
    // The deadline outlasts a worker waiting out the database's busy timeout.
    const QDeadlineTimer deadline(35'000);
    while (running() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(2);
    }
    // A worker that is stuck all the same is let go rather than destroyed while it runs.
    for (const QPointer<TTCPDataThread> &thread : std::as_const(m_threads))
        if (thread && !thread->wait(1000))
            thread->setParent(nullptr);
}

void ReadoutServer::start(quint16 port, int maxConnections)
{
    m_maxConnections = maxConnections;
    if (!m_listener.listen(QHostAddress::AnyIPv4, port))
        throw KorventError(QCoreApplication::translate("ReadoutServer", "Cannot start the server on port %1: %2")
                               .arg(port)
                               .arg(m_listener.errorString()));
}

void ReadoutServer::StopServer()
{
    {
        QMutexLocker lock(&m_clientsLock);
        for (qsizetype i = m_clients.size() - 1; i >= 0; --i)
            QMetaObject::invokeMethod(m_clients[i], &TThrdSrvClient::quitAndClose, Qt::QueuedConnection);
    }
    m_listener.close();
}

void ReadoutServer::accept(qintptr descriptor)
{
    auto *thread = new TTCPDataThread(this);
    auto *client = new TThrdSrvClient(*this, m_eventDirectory, m_setup);
    client->moveToThread(thread);
    // The client (and with it the worker's database connection) is deleted
    // in the worker thread as it ends.
    connect(thread, &QThread::finished, client, &QObject::deleteLater);
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    bool busy;
    {
        QMutexLocker lock(&m_clientsLock);
        m_clients.append(client);
        busy = m_maxConnections > 0 && m_clients.size() > m_maxConnections;
    }
    m_threads.removeAll(nullptr);
    m_threads.append(thread);
    thread->start();
    const int idleSeconds = m_idleTimeout.loadRelaxed();
    QMetaObject::invokeMethod(client, [client, descriptor, busy, idleSeconds] { client->attach(descriptor, busy, idleSeconds); },
                              Qt::QueuedConnection);
}

QList<ReadoutServer::ClientEntry> ReadoutServer::clientEntries() const
{
    QList<ClientEntry> entries;
    QMutexLocker lock(&m_clientsLock);
    for (qsizetype i = m_clients.size() - 1; i >= 0; --i)
        entries.append({reinterpret_cast<quintptr>(m_clients[i]), m_clients[i]->entryText()});
    return entries;
}

int ReadoutServer::clientCount() const
{
    QMutexLocker lock(&m_clientsLock);
    return static_cast<int>(m_clients.size());
}

void ReadoutServer::disconnectClient(quintptr id)
{
    {
        QMutexLocker lock(&m_clientsLock);
        for (TThrdSrvClient *client : std::as_const(m_clients))
            if (reinterpret_cast<quintptr>(client) == id)
                QMetaObject::invokeMethod(client, &TThrdSrvClient::quitAndClose, Qt::QueuedConnection);
    }
    emit clientsChanged();
}

void ReadoutServer::PostLog(const QString &text, bool withDateTime)
{
    // Posted, not waited for: a station must never wait for the window (a
    // report being shown, a message box open). Lines of one worker keep their
    // order in the queue of the server's thread; the time is the worker's.
    const QString line = withDateTime ? DateTimeText(true, DateTime::now()) + text : text;
    QMetaObject::invokeMethod(this, [this, line] { emit logLine(line); }, Qt::QueuedConnection);
}

void ReadoutServer::pushToClients(TThrdSrvClient *sender, const QByteArray &notification)
{
    if (notification.isEmpty())
        return;
    // Each socket is written only by its own thread: the sender directly,
    // the others through their threads' event queues. Posting under the lock
    // keeps a closing client from being deleted in between.
    QMutexLocker lock(&m_clientsLock);
    for (TThrdSrvClient *client : std::as_const(m_clients)) {
        if (!client->push)
            continue;
        if (client == sender)
            client->writeRaw(notification);
        else
            QMetaObject::invokeMethod(client, [client, notification] { client->writeRaw(notification); }, Qt::QueuedConnection);
    }
}

QString ReadoutServer::storeFault() const
{
    QMutexLocker lock(&m_storeFaultLock);
    return m_storeFault;
}

void ReadoutServer::reportStore(const QString &fault)
{
    {
        QMutexLocker lock(&m_storeFaultLock);
        if (m_storeFault == fault)
            return;
        m_storeFault = fault;
    }
    emit storeFaultChanged(fault);
}

void ReadoutServer::removeClient(TThrdSrvClient *client)
{
    QMutexLocker lock(&m_clientsLock);
    m_clients.removeAll(client);
}

void ReadoutServer::setReadoutFollower(ReadoutFollower follower)
{
    QMutexLocker lock(&m_followerLock);
    m_follower = std::move(follower);
}

void ReadoutServer::followReadout(qint64 teamId)
{
    QMutexLocker lock(&m_followerLock);
    if (m_follower)
        m_follower(teamId);
}
