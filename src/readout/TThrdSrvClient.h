#pragma once

// One station connection: lives in its worker thread, which owns the socket,
// frames its lines and handles them one at a time, in order.

#include "readout/LineFramer.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <memory>

class QTcpSocket;
class QTimer;
class ReadoutProcessor;
class ReadoutServer;
class SharedEventSetup;

class TThrdSrvClient : public QObject
{
    Q_OBJECT

public:
    TThrdSrvClient(ReadoutServer &server, const QString &eventDirectory, const SharedEventSetup &setup);
    ~TThrdSrvClient() override;

    // In the worker thread: take over the accepted socket, open the
    // worker's database connection, greet (or refuse) the station.
    // idleSeconds: a station silent that long is closed; 0 for never.
    void attach(qintptr descriptor, bool busy, int idleSeconds);
    // In the worker thread: bytes from another client's push.
    void writeRaw(const QByteArray &bytes);
    // In the worker thread: "QUIT" and close.
    void quitAndClose();

    // Guarded by the server's client lock.
    bool push = false;
    bool readoutStation = false;
    QString clientName = QStringLiteral("NA");
    QString peer;
    QString entryText() const;

private:
    void onReadyRead();
    void onDisconnected();
    void onIdle();
    void HandleLine(const QByteArray &line);
    void sendLine(const QString &text);
    // Closes once the unsent bytes are out, or after a grace time when the
    // station does not take them.
    void closeConnection();
    QString threadTag() const;

    ReadoutServer &m_server;
    QString m_eventDirectory;
    const SharedEventSetup &m_setup;
    QTcpSocket *m_socket = nullptr;
    LineFramer m_framer;
    QList<QByteArray> m_lines; // framed, not yet handled
    qsizetype m_nextLine = 0;
    QTimer *m_idleTimer = nullptr;
    int m_idleSeconds = 0;
    std::unique_ptr<ReadoutProcessor> m_processor;
    QString m_lastLine;
    QDateTime m_connectedAt;
    QString m_peerAddress;
    bool m_closing = false;
};
