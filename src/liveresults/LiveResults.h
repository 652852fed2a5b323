#pragma once

// The live results of an event: the HTTP server, the site it serves, the
// publisher that keeps the site up to date and, beside a readout server, the
// calculation of every read-out team. Without it readouts are as ever.

#include "liveresults/LiveHttpServer.h"
#include "liveresults/LiveSite.h"

#include "store/EventLocation.h"

#include <QHostAddress>
#include <QPointer>
#include <functional>
#include <memory>

class LiveCalculation;
class LivePublisher;
class ReadoutServer;
class SharedEventSetup;

class LiveResults
{
public:
    // log: told, in any thread, of a failure that does not stop the live results.
    LiveResults(const EventLocation &location, const SharedEventSetup &setup, std::function<void(const QString &)> log = {},
                LiveHttpLimits limits = {});
    ~LiveResults();
    LiveResults(const LiveResults &) = delete;
    LiveResults &operator=(const LiveResults &) = delete;

    // Builds the site on the publisher's thread and serves it; raises
    // KorventError when the address or port cannot be listened on.
    void start(const QHostAddress &address, quint16 port);
    // Every readout the server stores is followed by its team's calculation.
    void follow(ReadoutServer &server);

    quint16 port() const { return m_http.port(); }
    // Where a browser opens the live results: each of the machine's IPv4
    // addresses when they are served on all, else the address served on.
    QStringList urls() const;
    const LiveSite &site() const { return m_site; }
    quint64 servedRequests() const { return m_http.servedRequests(); }
    QString problem() const;

    // The address a --http-bind text names; raises KorventError naming the text.
    static QHostAddress bindAddress(const QString &text);

private:
    EventLocation m_location;
    const SharedEventSetup &m_setup;
    std::function<void(const QString &)> m_log;
    LiveSite m_site;
    LiveHttpServer m_http;
    std::unique_ptr<LivePublisher> m_publisher;
    std::unique_ptr<LiveCalculation> m_calculation;
    QPointer<ReadoutServer> m_followed;
    QHostAddress m_address;
};
