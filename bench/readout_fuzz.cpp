// Hostile stations against a `korvent-cli serve` process: random and malformed
// lines (absurd numbers, control bytes, tabs, backspaces, overlong lines,
// half lines, bytes that are no text), mixed with valid requests and sudden
// disconnects. Bounded in lines and seconds. Passes when the server answers
// every complete line, still serves a well-behaved station afterwards and
// stops cleanly on SIGTERM; a sanitizer report or a crash fails it.
//
//   readout_fuzz [--seed N] [--clients N] [--lines N] [--seconds N]

#include "ServeStations.h"

#include "shell/EventGenerator.h"
#include "store/uData.h"

#include <QCoreApplication>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <atomic>
#include <cstdio>
#include <thread>

namespace {

class Random
{
public:
    explicit Random(quint64 seed) : m_state(seed * 2654435761ULL + 1) {}
    quint64 next()
    {
        m_state = m_state * 6364136223846793005ULL + 1442695040888963407ULL;
        return m_state >> 17;
    }
    int below(int n) { return static_cast<int>(next() % static_cast<quint64>(n)); }

private:
    quint64 m_state;
};

const QByteArray absurdNumbers[] = {"99999999999999999", "-99999999999999999", "9223372036854775807", "-9223372036854775808",
                                    "18446744073709551616", "1e308", "NaN", "-0", "00000000000000000000001", "", " ", "12:00:00",
                                    "2147483648", "-1", "4294967296", "0x10", "3.5", "864000000", "8640000000000"};

// Records of a known chip that must be refused whole: negative times, a
// negative punch count, a negative or non-numeric card type or chip.
const char *const refusedRecords[] = {"0;0;-4000000;8;1;31;36100", "0;0;4000000;8;1;31;-5", "0;0;4000000;8;-1",
                                      "0;0;4000000;-8;0", "0;0;4000000;x;0", "-1;0;4000000;8;0", "0;0;4000000;8;1;-31;36100"};

QByteArray randomNumber(Random &random)
{
    if (random.below(3) == 0)
        return absurdNumbers[random.below(static_cast<int>(std::size(absurdNumbers)))];
    return QByteArray::number(random.below(1'000'000));
}

// A readout record of a known or unknown chip, with its pair count right or wrong.
QByteArray readoutLine(Random &random, const std::vector<QByteArray> &chips)
{
    QByteArray chip = random.below(4) == 0 ? randomNumber(random) : chips[static_cast<size_t>(random.below(static_cast<int>(chips.size())))];
    const int pairs = random.below(12);
    QByteArray line = "s " + chip + ';' + randomNumber(random) + ';' + randomNumber(random) + ';' + randomNumber(random) + ';'
        + (random.below(2) ? QByteArray("8") : randomNumber(random)) + ';'
        + (random.below(5) == 0 ? randomNumber(random) : QByteArray::number(pairs));
    for (int p = 0; p < pairs; ++p)
        line += ';' + (random.below(3) ? QByteArray::number(31 + random.below(30)) : randomNumber(random)) + ';' + randomNumber(random);
    return line;
}

QByteArray garbage(Random &random)
{
    QByteArray bytes;
    const int length = random.below(6) == 0 ? 100 + random.below(4000) : random.below(60);
    for (int i = 0; i < length; ++i) {
        const int kind = random.below(10);
        if (kind == 0)
            bytes += '\t';
        else if (kind == 1)
            bytes += '\b';
        else if (kind == 2)
            bytes += '\0';
        else if (kind == 3)
            bytes += static_cast<char>(0x80 + random.below(128));
        else
            bytes += static_cast<char>(0x20 + random.below(95));
    }
    return bytes;
}

// One request line without its line end.
QByteArray hostileLine(Random &random, const std::vector<QByteArray> &chips)
{
    switch (random.below(12)) {
    case 0: return "si";
    case 1: return "PUSH";
    case 2: return "i " + garbage(random);
    case 3: return "n " + garbage(random);
    case 4: return QByteArray(static_cast<qsizetype>(random.below(20'000)), '\t');
    case 5: return QByteArray(static_cast<qsizetype>(random.below(300)), '\b') + "si";
    case 6: return "s";
    case 7: return "s ";
    case 8: return garbage(random);
    case 9:
        return "s " + chips[static_cast<size_t>(random.below(static_cast<int>(chips.size())))] + ';'
            + refusedRecords[random.below(static_cast<int>(std::size(refusedRecords)))];
    default: return readoutLine(random, chips);
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (printedUsage(args, "usage: readout_fuzz [--seed N] [--clients N] [--lines N] [--seconds N]\n"))
        return 0;
    const int seed = option(args, "--seed", 1);
    const int clients = option(args, "--clients", 4);
    const int linesEach = option(args, "--lines", 500);
    const int seconds = option(args, "--seconds", 60);

    QTemporaryDir dir;
    const QString event = dir.path() + u'/';
    std::vector<QByteArray> chips;
    {
        TdmData data(event);
        GeneratorOptions options;
        options.seed = static_cast<quint64>(seed);
        options.teams = 20;
        GenerateEvent(data, event, options);
        QSqlQuery rows = data.connection().exec(QStringLiteral("SELECT chipnr FROM runner WHERE chipnr IS NOT NULL"));
        while (rows.next())
            chips.push_back(rows.value(0).toString().toLatin1());
    }

    QProcess server;
    server.setStandardErrorFile(dir.path() + QStringLiteral("/server.err"));
    const quint16 port = startServe(server, dir.path(), event,
                                    {QStringLiteral("--max-connections"), QString::number(clients + 1), QStringLiteral("--show-log"),
                                     QStringLiteral("--debug")});
    if (port == 0) {
        std::fprintf(stderr, "the server did not start\n");
        return 1;
    }

    std::atomic<long> sent{0}, answered{0}, unanswered{0}, reconnects{0}, closedByServer{0};
    const QDeadlineTimer stopAt(static_cast<qint64>(seconds) * 1000);
    std::vector<std::thread> stations;
    for (int c = 0; c < clients; ++c) {
        stations.emplace_back([&, c] {
            Random random(static_cast<quint64>(seed) * 1000 + static_cast<quint64>(c));
            auto socket = std::make_unique<QTcpSocket>();
            // A slot of a closed connection is freed a moment later: a busy banner is tried again.
            auto connect = [&] {
                for (int attempt = 0; attempt < 50; ++attempt) {
                    socket = std::make_unique<QTcpSocket>();
                    socket->connectToHost(QHostAddress::LocalHost, port);
                    if (socket->waitForConnected(5000) && readLine(*socket, 5000).startsWith("K*V"))
                        return true;
                    QThread::msleep(20);
                }
                std::fprintf(stderr, "station %d: no connection\n", c);
                return false;
            };
            if (!connect())
                return;
            for (int i = 0; i < linesEach && !stopAt.hasExpired(); ++i) {
                const int shape = random.below(40);
                if (shape == 0) { // hang up in the middle of a line
                    socket->write(hostileLine(random, chips).left(random.below(20)));
                    socket->flush();
                    socket->abort();
                    ++reconnects;
                    if (!connect())
                        return;
                    continue;
                }
                if (socket->state() != QAbstractSocket::ConnectedState) {
                    ++closedByServer;
                    if (!connect())
                        return;
                }
                QByteArray line = hostileLine(random, chips);
                // Lines of more than 100 bytes sent in pieces are thrown away by the framing; they get no reply.
                const bool whole = line.size() <= 100 && !line.contains('\r') && !line.contains('\n');
                socket->write(line + "\r\n");
                socket->flush();
                ++sent;
                if (!whole) {
                    readLine(*socket, 300); // maybe answered, maybe not
                    continue;
                }
                if (line.toLower() == "quit") {
                    continue;
                }
                const QByteArray reply = readLine(*socket, 30'000);
                if (reply.endsWith("\r\n")) {
                    ++answered;
                } else if (socket->state() != QAbstractSocket::ConnectedState) {
                    // A request that fails (a punch count no chip holds, say) ends the connection.
                    ++closedByServer;
                    if (!connect())
                        return;
                } else if (++unanswered <= 5) {
                    std::fprintf(stderr, "station %d: no reply to \"%s\" (got \"%s\", %s)\n", c, line.toPercentEncoding().left(80).constData(),
                                 reply.toPercentEncoding().constData(), qPrintable(socket->errorString()));
                }
            }
            socket->write("quit\r\n");
            if (socket->state() == QAbstractSocket::ConnectedState)
                socket->waitForDisconnected(2000);
        });
    }
    for (std::thread &station : stations)
        station.join();

    // A well-behaved station must still be served.
    bool served = false;
    {
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, port);
        if (probe.waitForConnected(5000) && readLine(probe, 5000).startsWith("K*V")) {
            probe.write("si\r\n");
            served = readLine(probe, 10'000) == "OK\r\n";
            probe.write("quit\r\n");
            if (probe.state() == QAbstractSocket::ConnectedState)
                probe.waitForDisconnected(2000);
        }
    }
    server.terminate();
    const bool stopped = server.waitForFinished(20'000);
    const int exitCode = server.exitCode();
    QFile errors(dir.path() + QStringLiteral("/server.err"));
    const QByteArray errorText = errors.open(QIODevice::ReadOnly) ? errors.readAll() : QByteArray();

    std::printf("seed %d, clients %d, lines sent %ld, answered %ld, unanswered %ld, hang-ups %ld, closed by the server %ld\n", seed,
                clients, sent.load(), answered.load(), unanswered.load(), reconnects.load(), closedByServer.load());
    std::printf("probe served: %s, server stopped: %s, exit code %d, exit status %s\n", served ? "yes" : "no", stopped ? "yes" : "no",
                exitCode, server.exitStatus() == QProcess::NormalExit ? "normal" : "crashed");
    if (!errorText.isEmpty())
        std::printf("server stderr:\n%s\n", errorText.left(4000).constData());
    const bool passed = served && stopped && exitCode == 0 && server.exitStatus() == QProcess::NormalExit && unanswered == 0
        && !errorText.contains("Sanitizer") && !errorText.contains("runtime error");
    if (!passed) {
        QFile::remove(QStringLiteral("readout_fuzz-server.log"));
        QFile::copy(serverLogFile(dir.path()), QStringLiteral("readout_fuzz-server.log"));
        std::printf("the server's log is in readout_fuzz-server.log\n");
    }
    std::printf("%s\n", passed ? "PASSED" : "FAILED");
    return passed ? 0 : 1;
}
