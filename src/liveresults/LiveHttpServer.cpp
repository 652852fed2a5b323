#include "liveresults/LiveHttpServer.h"

#include "liveresults/LiveSite.h"

#include "base/KorventError.h"

#include <QCoreApplication>
#include <QUrl>

#include <arpa/inet.h>
#include <cstring>
#include <microhttpd.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(LiveResults)
};

MHD_Result send(MHD_Connection *connection, unsigned status, const QByteArray &contentType, const std::shared_ptr<const LiveResource> &resource,
                const QByteArray &plain = QByteArray())
{
    MHD_Response *response;
    if (resource) {
        // The body stays in the site's resource until the response is gone: no copy per request.
        auto *keep = new std::shared_ptr<const LiveResource>(resource);
        response = MHD_create_response_from_buffer_with_free_callback_cls(
            static_cast<size_t>(resource->body.size()), const_cast<char *>(resource->body.constData()),
            [](void *kept) { delete static_cast<std::shared_ptr<const LiveResource> *>(kept); }, keep);
        if (!response)
            delete keep;
    } else {
        response = MHD_create_response_from_buffer(static_cast<size_t>(plain.size()), const_cast<char *>(plain.constData()), MHD_RESPMEM_MUST_COPY);
    }
    if (!response)
        return MHD_NO;
    MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, contentType.constData());
    // Results change during the event: a phone asks again rather than keep an old page.
    MHD_add_response_header(response, MHD_HTTP_HEADER_CACHE_CONTROL, "no-cache");
    MHD_add_response_header(response, "X-Content-Type-Options", "nosniff");
    if (status == MHD_HTTP_METHOD_NOT_ALLOWED)
        MHD_add_response_header(response, MHD_HTTP_HEADER_ALLOW, "GET, HEAD");
    const MHD_Result queued = MHD_queue_response(connection, status, response);
    MHD_destroy_response(response);
    return queued;
}

const QByteArray textType = QByteArrayLiteral("text/plain; charset=utf-8");

// A path is looked up in memory only; one naming a parent or holding a
// backslash or NUL is refused as unknown before the lookup, so that no
// spelling of it can ever mean a file beside the site.
bool plainPath(const QString &path)
{
    if (!path.startsWith(u'/') || path.contains(u'\\') || path.contains(QChar(0)))
        return false;
    for (const QStringView segment : QStringView(path).split(u'/'))
        if (segment == u"..")
            return false;
    return true;
}

} // namespace

LiveHttpServer::LiveHttpServer(const LiveSite &site, LiveHttpLimits limits)
    : m_site(site)
    , m_limits(limits)
    , m_deadlines(limits.requestTime)
{
}

LiveHttpServer::~LiveHttpServer()
{
    stop();
}

void LiveHttpServer::start(const QHostAddress &address, quint16 port)
{
    stop();
    sockaddr_in v4{};
    sockaddr_in6 v6{};
    const sockaddr *bind;
    // The library is run from the server's own loop (epoll), not from a thread of its own.
    unsigned flags = MHD_USE_AUTO;
    if (address.protocol() == QAbstractSocket::IPv6Protocol) {
        v6.sin6_family = AF_INET6;
        v6.sin6_port = htons(port);
        const Q_IPV6ADDR bytes = address.toIPv6Address();
        std::memcpy(&v6.sin6_addr, bytes.c, sizeof bytes.c);
        bind = reinterpret_cast<const sockaddr *>(&v6);
        flags |= MHD_USE_IPv6;
    } else {
        v4.sin_family = AF_INET;
        v4.sin_port = htons(port);
        v4.sin_addr.s_addr = htonl(address.toIPv4Address());
        bind = reinterpret_cast<const sockaddr *>(&v4);
    }
    const auto handler = [](void *self, MHD_Connection *connection, const char *url, const char *method, const char *, const char *,
                            size_t *uploadSize, void **state) -> MHD_Result {
        // The first call comes with the headers. An answer queued then makes
        // the library close the connection after it (the request is not read
        // to its end): so it is for what is refused. A GET is answered on the
        // next call, once the request is complete, and the connection is kept.
        static char headersSeen;
        static_cast<LiveHttpServer *>(self)->m_deadlines.drop(connection);
        const bool isGet = std::strcmp(method, MHD_HTTP_METHOD_GET) == 0 || std::strcmp(method, MHD_HTTP_METHOD_HEAD) == 0;
        if (!isGet)
            return send(connection, MHD_HTTP_METHOD_NOT_ALLOWED, textType, nullptr, QByteArrayLiteral("Only GET and HEAD are served.\n"));
        if (!*state) {
            const char *length = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_CONTENT_LENGTH);
            if ((length && std::strcmp(length, "0") != 0) || MHD_lookup_connection_value(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_TRANSFER_ENCODING))
                return send(connection, MHD_HTTP_CONTENT_TOO_LARGE, textType, nullptr, QByteArrayLiteral("A request to read has no body.\n"));
            *state = &headersSeen;
            return MHD_YES;
        }
        if (*uploadSize != 0)
            return MHD_NO;
        return static_cast<MHD_Result>(answer(self, connection, url));
    };
    // Callbacks run on the loop thread: the deadlines need no lock.
    const auto notified = [](void *self, MHD_Connection *connection, void **, MHD_ConnectionNotificationCode code) {
        auto &server = *static_cast<LiveHttpServer *>(self);
        if (code == MHD_CONNECTION_NOTIFY_STARTED) {
            const MHD_ConnectionInfo *info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
            if (info)
                server.m_deadlines.awaitRequest(connection, info->connect_fd, RequestDeadlines::Clock::now());
        } else {
            server.m_deadlines.drop(connection);
        }
    };
    const auto answered = [](void *self, MHD_Connection *connection, void **, MHD_RequestTerminationCode code) {
        // A kept connection's next request gets the same time as the first.
        // A request ended otherwise ends its connection too.
        if (code != MHD_REQUEST_TERMINATED_COMPLETED_OK)
            return;
        auto &server = *static_cast<LiveHttpServer *>(self);
        const MHD_ConnectionInfo *info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
        if (info)
            server.m_deadlines.awaitRequest(connection, info->connect_fd, RequestDeadlines::Clock::now());
    };
    m_daemon = MHD_start_daemon(flags, port, nullptr, nullptr, handler, this,
                                MHD_OPTION_SOCK_ADDR, bind,
                                MHD_OPTION_NOTIFY_CONNECTION, static_cast<MHD_NotifyConnectionCallback>(notified), this,
                                MHD_OPTION_NOTIFY_COMPLETED, static_cast<MHD_RequestCompletedCallback>(answered), this,
                                MHD_OPTION_CONNECTION_LIMIT, m_limits.connections,
                                MHD_OPTION_LISTEN_BACKLOG_SIZE, m_limits.backlog,
                                MHD_OPTION_PER_IP_CONNECTION_LIMIT, m_limits.connectionsPerAddress,
                                MHD_OPTION_CONNECTION_TIMEOUT, m_limits.timeoutSeconds,
                                MHD_OPTION_CONNECTION_MEMORY_LIMIT, m_limits.requestMemory,
                                MHD_OPTION_END);
    if (!m_daemon)
        throw KorventError(Texts::tr("Cannot start the live results on %1 port %2: %3")
                               .arg(address.toString())
                               .arg(port)
                               .arg(QString::fromLocal8Bit(std::strerror(errno))));
    const MHD_DaemonInfo *info = MHD_get_daemon_info(m_daemon, MHD_DAEMON_INFO_BIND_PORT);
    m_port = info ? info->port : port;
    m_stopping = false;
    m_loop = std::thread([this] { loop(); });
}

void LiveHttpServer::loop()
{
    // How long a stop may wait for the loop; deadlines are looked at as often.
    constexpr int32_t roundMs = 100;
    while (!m_stopping.load()) {
        // A round the library refuses would otherwise come back at once, again and again.
        if (MHD_run_wait(m_daemon, roundMs) == MHD_NO)
            std::this_thread::sleep_for(std::chrono::milliseconds(roundMs));
        // Shutting the socket down, not closing it: the library sees the end
        // of the connection on its next round and closes it as its own. The
        // socket is still open, since only this thread closes it.
        for (const int fd : m_deadlines.takeOverdue(RequestDeadlines::Clock::now()))
            ::shutdown(fd, SHUT_RDWR);
    }
}

void LiveHttpServer::stop()
{
    if (!m_daemon)
        return;
    m_stopping = true;
    m_loop.join();
    MHD_stop_daemon(m_daemon);
    m_daemon = nullptr;
    m_port = 0;
}

int LiveHttpServer::answer(void *self, void *rawConnection, const char *url)
{
    auto &server = *static_cast<LiveHttpServer *>(self);
    auto *connection = static_cast<MHD_Connection *>(rawConnection);
    const QString path = QString::fromUtf8(url);
    if (!plainPath(path))
        return send(connection, MHD_HTTP_NOT_FOUND, textType, nullptr, QByteArrayLiteral("Not found.\n"));
    if (path == QLatin1String("/api/version")) {
        // The version of the page a browser shows, asked for by the page's script.
        const char *page = MHD_lookup_connection_value(connection, MHD_GET_ARGUMENT_KIND, "path");
        const std::shared_ptr<const LiveResource> resource = page ? server.m_site.find(QString::fromUtf8(page)) : nullptr;
        const quint64 version = resource ? resource->version : server.m_site.version();
        server.m_served.fetchAndAddRelaxed(1);
        return send(connection, MHD_HTTP_OK, textType, nullptr, QByteArray::number(version));
    }
    const std::shared_ptr<const LiveResource> resource = server.m_site.find(path);
    if (!resource)
        return send(connection, MHD_HTTP_NOT_FOUND, textType, nullptr, QByteArrayLiteral("Not found.\n"));
    server.m_served.fetchAndAddRelaxed(1);
    return send(connection, resource->status, resource->contentType, resource);
}
