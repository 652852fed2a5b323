#pragma once

// The read-only HTTP server of the live results: answers GET and HEAD from
// the LiveSite, on a thread of its own, and bounds what a client may take.
//
// Built on libmicrohttpd rather than Qt HTTP Server: libmicrohttpd bounds a
// hostile client in the library itself (connections in all and per address,
// silence on a connection, the memory for the request line and headers,
// answered 414/431 when they do not fit) and is mature, while the Qt HTTP
// Server Debian ships is a technology preview that leaves connection counts,
// request timeouts and header sizes to its caller. The one bound the library
// lacks, the whole time to send a request, the server's own loop adds.

#include "liveresults/RequestDeadlines.h"

#include <QAtomicInteger>
#include <QHostAddress>
#include <QString>
#include <atomic>
#include <chrono>
#include <thread>

struct MHD_Daemon;
class LiveSite;

struct LiveHttpLimits
{
    // Open at once. Further ones wait in the system's backlog, unread, until
    // one closes: a phone gets its page a moment later rather than an error.
    // The backlog itself is bounded; beyond it the system turns them away.
    unsigned connections = 256;
    unsigned backlog = 64;
    // From one address; 0 for no limit of its own. A phone's browser opens a
    // few at most: a hostile address holds no more than a few slots either.
    unsigned connectionsPerAddress = 8;
    unsigned timeoutSeconds = 15; // a connection silent this long is closed
    // A connection that has not sent a complete request this long after its
    // accept, or after its last answer, is closed: a client sending a byte
    // now and then, never silent for long, holds its slot no longer.
    std::chrono::milliseconds requestTime{10'000};
    size_t requestMemory = 64 * 1024; // request line and headers of one request
};

class LiveHttpServer
{
public:
    LiveHttpServer(const LiveSite &site, LiveHttpLimits limits = {});
    ~LiveHttpServer();
    LiveHttpServer(const LiveHttpServer &) = delete;
    LiveHttpServer &operator=(const LiveHttpServer &) = delete;

    // Listens on the address (QHostAddress::AnyIPv4 for every local IPv4
    // address) and port (0: the system chooses); raises KorventError when it cannot.
    void start(const QHostAddress &address, quint16 port);
    void stop();
    bool isListening() const { return m_daemon != nullptr; }
    quint16 port() const { return m_port; }
    // Requests answered with a resource since the start.
    quint64 servedRequests() const { return m_served.loadRelaxed(); }

private:
    static int answer(void *self, void *connection, const char *url);
    void loop();

    const LiveSite &m_site;
    LiveHttpLimits m_limits;
    MHD_Daemon *m_daemon = nullptr;
    // The library's work runs on this thread, which also cuts the connections past their request time.
    std::thread m_loop;
    std::atomic<bool> m_stopping{false};
    RequestDeadlines m_deadlines; // the loop thread's own
    quint16 m_port = 0;
    QAtomicInteger<quint64> m_served{0};
};
