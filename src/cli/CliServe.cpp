// korvent-cli serve: the readout server without a window, until SIGINT or SIGTERM,
// with the live results over HTTP beside it when asked for.

#include "cli/CliCommands.h"
#include "cli/CliArguments.h"
#include "cli/TerminationSignals.h"

#include "liveresults/LiveResults.h"
#include "readout/ReadoutServer.h"
#include "store/EventSetup.h"
#include "base/KorventError.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QTextStream>
#include <QTimer>

namespace {

using cli::Texts;

// The last value counts, as for every option of the command line.
int option(CliArguments &arguments, const QString &name, int defaultValue, int minimum, int maximum)
{
    const QString range = Texts::tr("%1 needs a whole number from %2 to %3").arg(name).arg(minimum).arg(maximum);
    const std::optional<QString> text = arguments.takeValue(name, range);
    if (!text)
        return defaultValue;
    bool ok = false;
    const int value = text->toInt(&ok);
    if (!ok || value < minimum || value > maximum)
        throw KorventError(range);
    return value;
}

// Station bytes reach the terminal as text: control and format characters
// are shown as escapes, so that none of them moves the cursor, clears the
// screen or reorders what is shown. A backslash is doubled to keep that plain.
QString printable(const QString &line)
{
    QString shown;
    shown.reserve(line.size());
    for (const QChar c : line) {
        const char16_t code = c.unicode();
        switch (code) {
        case u'\\': shown += QStringLiteral("\\\\"); continue;
        case u'\r': shown += QStringLiteral("\\r"); continue;
        case u'\n': shown += QStringLiteral("\\n"); continue;
        case u'\t': shown += QStringLiteral("\\t"); continue;
        default: break;
        }
        const QChar::Category category = c.category();
        if (category == QChar::Other_Control || category == QChar::Other_Format || category == QChar::Separator_Line
            || category == QChar::Separator_Paragraph || c.isSurrogate())
            shown += code <= 0xff ? QStringLiteral("\\x%1").arg(uint(code), 2, 16, QLatin1Char('0')) : QStringLiteral("\\u%1").arg(uint(code), 4, 16, QLatin1Char('0'));
        else
            shown += c;
    }
    return shown;
}

} // namespace

int CliServeCommand(CliContext &context, const QStringList &arguments)
{
    CliArguments options(arguments);
    // As the window's check boxes: received lines and debug lines only when asked for.
    const bool showLog = options.takeFlag(QStringLiteral("--show-log"));
    const bool debug = options.takeFlag(QStringLiteral("--debug"));
    // Stations get the settings and classes as they are when they send "si", whichever program changed them.
    SharedEventSetup setup(context.location.eventDirectory);
    const EventSettings &settings = setup.snapshot()->settings;
    // Port 0 lets the system choose one (the log names it), for tests and tools.
    const int port = option(options, QStringLiteral("--port"), settings.serverPort, 0, 65535);
    const int maxConnections = option(options, QStringLiteral("--max-connections"), settings.maxConnections, 1, 100);
    const int idleTimeout = option(options, QStringLiteral("--idle-timeout"), ReadoutServer::DefaultIdleTimeout, 0, 86'400);
    // The live results: off unless a port is given; on every local IPv4 address unless one is named.
    const int httpPort = option(options, QStringLiteral("--http"), -1, 0, 65535);
    const std::optional<QString> httpBind =
        options.takeValue(QStringLiteral("--http-bind"), Texts::tr("--http-bind needs an IP address"));
    if (httpBind && httpPort < 0)
        throw KorventError(Texts::tr("--http-bind needs --http PORT"));
    const QHostAddress httpAddress = httpBind ? LiveResults::bindAddress(*httpBind) : QHostAddress(QHostAddress::AnyIPv4);
    if (!options.rest().isEmpty())
        throw KorventError(Texts::tr("Unknown serve option \"%1\"").arg(options.rest().first()));

    QTextStream &out = context.out;
    TerminationSignals termination;
    ReadoutServer server(context.location.eventDirectory, setup);
    server.setShowLog(showLog);
    server.setDebug(debug);
    server.setIdleTimeout(idleTimeout);
    QObject::connect(&server, &ReadoutServer::logLine, [&out](const QString &line) { out << printable(line) << Qt::endl; });
    // Refused stations and replaced database files are said on stderr at once, and so is the end of it.
    QTextStream err(stderr);
    QObject::connect(&server, &ReadoutServer::storeFaultChanged, &server, [&err, &server] {
        const QString fault = server.storeFault();
        err << "korvent-cli: " << (fault.isEmpty() ? Texts::tr("readouts are stored again") : fault) << Qt::endl;
    });
    server.start(static_cast<quint16>(port), maxConnections);
    out << "Listening on port " << server.port() << Qt::endl;
    std::unique_ptr<LiveResults> live;
    if (httpPort >= 0) {
        // Failures of the live results are said on stderr; the stations go on.
        live = std::make_unique<LiveResults>(context.location, setup, [](const QString &message) {
            QTextStream(stderr) << "korvent-cli: " << printable(message) << Qt::endl;
        });
        live->start(httpAddress, static_cast<quint16>(httpPort));
        live->follow(server);
        for (const QString &url : live->urls())
            out << "Live results on " << url << Qt::endl;
    }

    QObject::connect(&termination, &TerminationSignals::received, &server, [&server] {
        server.StopServer();
        // Quit once every client has been told and has gone.
        auto *poll = new QTimer(&server);
        QObject::connect(poll, &QTimer::timeout, &server, [&server] {
            if (server.clientCount() == 0)
                QCoreApplication::quit();
        });
        poll->start(10);
        QTimer::singleShot(10'000, &server, [] { QCoreApplication::quit(); });
    });
    QCoreApplication::exec();
    live.reset();
    out << "Server stopped" << Qt::endl;
    return 0;
}
