#pragma once

// A browser's side of the live results over a real loopback socket: raw
// requests, so that a test can also send what no browser would.

#include <QByteArray>
#include <QTcpSocket>
#include <QTest>

struct HttpReply
{
    int status = 0; // 0: the connection closed without a status line
    QByteArray headers;
    QByteArray body;
};

inline HttpReply ParseHttpReply(const QByteArray &bytes)
{
    HttpReply reply;
    const qsizetype end = bytes.indexOf("\r\n\r\n");
    if (!bytes.startsWith("HTTP/1.") || end < 0)
        return reply;
    reply.status = bytes.mid(9, 3).toInt();
    reply.headers = bytes.left(end);
    reply.body = bytes.mid(end + 4);
    return reply;
}

struct HttpConnection
{
    QTcpSocket socket;
    QByteArray received;

    // from: the loopback address the connection comes from (127.0.0.2 is another client than 127.0.0.1).
    explicit HttpConnection(quint16 port, const QHostAddress &from = QHostAddress())
    {
        QObject::connect(&socket, &QTcpSocket::readyRead, [this] { received += socket.readAll(); });
        if (!from.isNull())
            socket.bind(from);
        socket.connectToHost(QHostAddress::LocalHost, port);
        socket.waitForConnected(5000);
    }
    bool closedByServer(int ms = 5000)
    {
        return QTest::qWaitFor([&] { return socket.state() == QAbstractSocket::UnconnectedState; }, ms);
    }
    // Sends the bytes and reads until the server closes (requests say "Connection: close").
    HttpReply exchange(const QByteArray &bytes, int ms = 5000)
    {
        socket.write(bytes);
        closedByServer(ms);
        received += socket.readAll();
        return ParseHttpReply(received);
    }
};

// One request with "Connection: close".
inline HttpReply HttpRequest(quint16 port, const QByteArray &method, const QByteArray &target, const QByteArray &extraHeaders = QByteArray(),
                             const QHostAddress &from = QHostAddress())
{
    HttpConnection connection(port, from);
    return connection.exchange(method + ' ' + target + " HTTP/1.1\r\nHost: localhost\r\nConnection: close\r\n" + extraHeaders + "\r\n");
}
