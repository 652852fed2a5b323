#include "readout/TThrdSrvClient.h"

#include "readout/ReadoutProcessor.h"
#include "readout/ReadoutServer.h"

#include "base/KorventError.h"
#include "db/Connection.h"
#include "base/Platform.h"
#include "store/TimeHelpers.h"

#include <QCoreApplication>
#include <QMutexLocker>
#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

namespace {

// A reply of exactly 510 bytes would make a 512-byte line; stations expect a marker then.
constexpr qsizetype markedReplyLength = 510;
// A station whose replies pile up beyond this is not read from until they drain.
constexpr qint64 unsentReplyLimit = 1 << 20;
// Bytes taken from the socket at a time; the socket buffers no more than this.
constexpr qint64 receiveChunk = 64 * 1024;
// A closing connection whose station takes no more bytes is cut after this.
constexpr int closeGraceMs = 5000;
// A received line is logged up to this length: the longest record of a chip
// is shorter, and the log keeps thousands of lines.
constexpr qsizetype loggedLineLength = 4096;

QString refusedText(const db::DatabaseError &error)
{
    return QCoreApplication::translate("ReadoutServer", "Readouts are refused: %1").arg(error.message());
}

} // namespace

TThrdSrvClient::TThrdSrvClient(ReadoutServer &server, const QString &eventDirectory, const SharedEventSetup &setup)
    : m_server(server)
    , m_eventDirectory(eventDirectory)
    , m_setup(setup)
{
}

TThrdSrvClient::~TThrdSrvClient() = default;

QString TThrdSrvClient::threadTag() const
{
    return QStringLiteral(" ThreadID : $") + QString::number(Platform::currentThreadNumber(), 16).rightJustified(8, u'0').toUpper();
}

QString TThrdSrvClient::entryText() const
{
    return peer + (push ? QStringLiteral(" (*)") : QString()) + (readoutStation ? QStringLiteral("(SI)") : QString()) + u' ' + clientName;
}

void TThrdSrvClient::attach(qintptr descriptor, bool busy, int idleSeconds)
{
    m_socket = new QTcpSocket(this);
    m_socket->setReadBufferSize(receiveChunk);
    connect(m_socket, &QTcpSocket::readyRead, this, &TThrdSrvClient::onReadyRead);
    // Replies going out may let a held-back station be read again.
    connect(m_socket, &QTcpSocket::bytesWritten, this, &TThrdSrvClient::onReadyRead);
    // Queued: a close during a line (quit, a failure) ends that line's handling first.
    connect(m_socket, &QTcpSocket::disconnected, this, &TThrdSrvClient::onDisconnected, Qt::QueuedConnection);
    if (!m_socket->setSocketDescriptor(descriptor)) {
        m_server.PostLog(QStringLiteral("Server exception occured: QTcpSocket: ") + m_socket->errorString(), true);
        onDisconnected();
        return;
    }
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_peerAddress = m_socket->peerAddress().toString();
    m_connectedAt = QDateTime::currentDateTime();
    {
        QMutexLocker lock(&m_server.m_clientsLock);
        peer = m_peerAddress + u'/' + QString::number(m_socket->peerPort());
    }
    m_server.PostLog(QStringLiteral("Client connected. Remote: %1/%2 Local: %3/%4")
                         .arg(m_peerAddress).arg(m_socket->peerPort())
                         .arg(m_socket->localAddress().toString()).arg(m_socket->localPort()) + threadTag(), true);
    emit m_server.clientsChanged();
    if (busy) {
        m_socket->write(ReadoutServer::busyBanner());
        closeConnection();
        return;
    }
    try {
        m_processor = std::make_unique<ReadoutProcessor>(m_eventDirectory, m_setup, m_server.m_checkpointer);
    } catch (const db::DatabaseError &error) {
        m_server.reportStore(refusedText(error));
        m_server.PostLog(QStringLiteral("Client exception occured: KorventError: ") + error.message(), true);
        closeConnection();
        return;
    } catch (const KorventError &error) {
        m_server.PostLog(QStringLiteral("Client exception occured: KorventError: ") + error.message(), true);
        closeConnection();
        return;
    }
    m_socket->write(ReadoutServer::banner());
    if (idleSeconds > 0) {
        m_idleSeconds = idleSeconds;
        m_idleTimer = new QTimer(this);
        m_idleTimer->setSingleShot(true);
        m_idleTimer->setInterval(idleSeconds * 1000);
        connect(m_idleTimer, &QTimer::timeout, this, &TThrdSrvClient::onIdle);
        m_idleTimer->start();
    }
}

void TThrdSrvClient::closeConnection()
{
    m_closing = true;
    if (m_idleTimer)
        m_idleTimer->stop();
    m_socket->disconnectFromHost();
    if (m_socket->state() != QAbstractSocket::UnconnectedState) {
        QPointer<QTcpSocket> socket = m_socket;
        QTimer::singleShot(closeGraceMs, this, [socket] {
            if (socket && socket->state() != QAbstractSocket::UnconnectedState)
                socket->abort();
        });
    }
}

void TThrdSrvClient::onIdle()
{
    if (m_closing || m_socket->state() != QAbstractSocket::ConnectedState)
        return;
    m_server.PostLog(QStringLiteral("Client idle for %1 s, closing: %2").arg(m_idleSeconds).arg(m_peerAddress) + threadTag(), true);
    quitAndClose();
}

void TThrdSrvClient::writeRaw(const QByteArray &bytes)
{
    if (!m_socket || m_socket->state() != QAbstractSocket::ConnectedState)
        return;
    m_socket->write(bytes);
    // A push client that is being told of readouts is listening, not idle.
    if (m_idleTimer && !m_closing)
        m_idleTimer->start();
}

void TThrdSrvClient::quitAndClose()
{
    if (!m_socket || m_closing)
        return;
    m_socket->write("QUIT\r\n");
    closeConnection();
}

void TThrdSrvClient::sendLine(const QString &text)
{
    m_socket->write(Platform::encodeText(text) + "\r\n");
}

void TThrdSrvClient::onReadyRead()
{
    // A station that does not take its replies is not read from (and the
    // socket then reads no more from the network) until they drain.
    while (!m_closing && m_socket->bytesToWrite() <= unsentReplyLimit) {
        if (m_nextLine == m_lines.size()) {
            if (m_socket->bytesAvailable() == 0)
                return;
            m_lines = m_framer.receive(m_socket->read(receiveChunk));
            m_nextLine = 0;
            continue;
        }
        HandleLine(m_lines.at(m_nextLine++));
    }
}

void TThrdSrvClient::HandleLine(const QByteArray &line)
{
    if (m_idleTimer)
        m_idleTimer->start();
    m_lastLine = Platform::decodeText(line);
    if (m_server.showLog()) {
        const QString logged = m_lastLine.size() > loggedLineLength ? m_lastLine.left(loggedLineLength) + QStringLiteral("...") : m_lastLine;
        m_server.PostLog(QStringLiteral("Received from ") + m_peerAddress + QStringLiteral(": ") + logged + u' ' + threadTag(), true);
    }
    if (m_server.debug())
        m_server.PostLog(u'>' + ClockStamp(), false);

    // The line end goes as bytes: decoded, it need not be two characters.
    const QString text = Platform::decodeText(LineFramer::withoutLineEnd(line));
    const QString command = text.toLower();
    std::optional<QString> failure;
    if (command == QLatin1String("quit")) {
        closeConnection();
    } else if (command == QLatin1String("push")) {
        {
            QMutexLocker lock(&m_server.m_clientsLock);
            push = true;
        }
        emit m_server.clientsChanged();
        sendLine(QStringLiteral("OK"));
    } else if (command == QLatin1String("si")) {
        try {
            m_processor->LoadCourseCopy();
            sendLine(QStringLiteral("OK"));
            {
                QMutexLocker lock(&m_server.m_clientsLock);
                readoutStation = true;
            }
            emit m_server.clientsChanged();
        } catch (const KorventError &error) {
            failure = error.message();
        }
    } else if (text.size() < 3 || text.indexOf(u' ') != 1) {
        sendLine(QStringLiteral("ERR"));
    } else {
        QString reply = QStringLiteral("ERR");
        qint64 storedTeam = 0;
        const QChar letter = text.at(0);
        const QString argument = text.mid(2);
        try {
            if (letter == u'i') {
                reply = m_processor->EventInfoReply(argument);
            } else if (letter == u'n') {
                {
                    QMutexLocker lock(&m_server.m_clientsLock);
                    clientName = argument;
                }
                emit m_server.clientsChanged();
                reply = QStringLiteral("OK");
            } else if (letter == u's') {
                const ReadoutResult result = m_processor->ProcessReadout(argument);
                reply = result.reply;
                storedTeam = result.teamId;
                // Before the reply, as stations that asked for pushes have
                // always read them.
                m_server.pushToClients(this, Platform::encodeText(result.notification));
            }
        } catch (const db::DatabaseError &error) {
            m_server.reportStore(refusedText(error));
            failure = error.message();
        } catch (const KorventError &error) {
            failure = error.message();
        }
        QByteArray bytes = Platform::encodeText(reply);
        if (bytes.size() == markedReplyLength)
            bytes += ";##";
        m_socket->write(bytes + "\r\n");
        // Sent now rather than when this line's handling is done: what
        // follows (the look at the database files, the live results) must
        // not keep the station waiting.
        m_socket->flush();
        if (letter == u's' && !failure)
            m_server.reportStore(m_processor->replacedFileMessage());
        if (storedTeam != 0)
            m_server.followReadout(storedTeam);
        if (m_server.debug())
            m_server.PostLog(QStringLiteral(">SendToClient:") + reply, false);
    }
    if (failure) {
        m_server.PostLog(QStringLiteral("Client exception occured: KorventError: ") + *failure, true);
        closeConnection();
    }
    if (m_server.debug())
        m_server.PostLog(u'<' + ClockStamp(), false);
}

void TThrdSrvClient::onDisconnected()
{
    if (m_server.showLog() && m_connectedAt.isValid()) {
        const qint64 seconds = m_connectedAt.secsTo(QDateTime::currentDateTime());
        m_server.PostLog(QStringLiteral("Client disconnecting: ") + m_peerAddress + QStringLiteral("   Duration: ")
                             + FormatHundredths(seconds * 100, 0)
                             + threadTag(), true);
    }
    m_processor.reset();
    m_server.removeClient(this);
    emit m_server.clientsChanged();
    thread()->quit();
}
