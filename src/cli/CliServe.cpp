// korvent-cli serve: the readout server without a window, until SIGINT or SIGTERM.

#include "cli/CliCommands.h"
#include "cli/TerminationSignals.h"

#include "readout/ReadoutServer.h"
#include "store/EventSetup.h"
#include "base/KorventError.h"

#include <QCoreApplication>
#include <QTimer>

namespace {

using cli::tr;

int option(const QStringList &arguments, const QString &name, int defaultValue, int minimum, int maximum)
{
    const qsizetype at = arguments.indexOf(name);
    if (at < 0)
        return defaultValue;
    bool ok = false;
    const int value = at + 1 < arguments.size() ? arguments[at + 1].toInt(&ok) : 0;
    if (!ok || value < minimum || value > maximum)
        throw KorventError(tr("%1 needs a whole number from %2 to %3").arg(name).arg(minimum).arg(maximum));
    return value;
}

} // namespace

int CliServeCommand(CliContext &context, const QStringList &arguments)
{
    bool showLog = false, debug = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == QLatin1String("--port") || arguments[i] == QLatin1String("--max-connections")
            || arguments[i] == QLatin1String("--idle-timeout"))
            ++i;
        else if (arguments[i] == QLatin1String("--show-log"))
            showLog = true;
        else if (arguments[i] == QLatin1String("--debug"))
            debug = true;
        else
            throw KorventError(tr("Unknown serve option \"%1\"").arg(arguments[i]));
    }
    SharedEventSetup setup(EventSetup::load(context.location.eventDirectory));
    const EventSettings &settings = setup.snapshot()->settings;
    // Port 0 lets the system choose one (the log names it), for tests and tools.
    const int port = option(arguments, QStringLiteral("--port"), settings.seServerDataIn, 0, 65535);
    const int maxConnections = option(arguments, QStringLiteral("--max-connections"), settings.seMaxConnections, 1, 100);
    const int idleTimeout = option(arguments, QStringLiteral("--idle-timeout"), ReadoutServer::DefaultIdleTimeout, 0, 86'400);

    QTextStream &out = context.out;
    TerminationSignals termination;
    ReadoutServer server(context.location.eventDirectory, setup);
    // As the window's check boxes: received lines and debug lines only when asked for.
    server.setShowLog(showLog);
    server.setDebug(debug);
    server.setIdleTimeout(idleTimeout);
    QObject::connect(&server, &ReadoutServer::logLine, [&out](const QString &line) { out << line << Qt::endl; });
    server.start(static_cast<quint16>(port), maxConnections);
    out << "Listening on port " << server.port() << Qt::endl;

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
    out << "Server stopped" << Qt::endl;
    return 0;
}
