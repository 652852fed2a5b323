#pragma once

// The time a connection of the live results has to send a complete request,
// counted from its accept or, on a kept connection, from the last answer.
// libmicrohttpd bounds only the silence between two bytes: a client sending
// one byte now and then would hold its slot for ever. Kept by the server's
// loop thread alone, which also cuts what is overdue.

#include <QHash>
#include <QList>
#include <chrono>

class RequestDeadlines
{
public:
    using Clock = std::chrono::steady_clock;

    explicit RequestDeadlines(std::chrono::milliseconds allowed)
        : m_allowed(allowed)
    {
    }

    // The connection (socket fd) waits for a request from now on.
    void awaitRequest(const void *connection, int fd, Clock::time_point now);
    // Its request arrived (no deadline until it has been answered), or it closed.
    void drop(const void *connection) { m_waiting.remove(connection); }
    // The sockets of the connections past their deadline; each is told once.
    QList<int> takeOverdue(Clock::time_point now);

private:
    struct Waiting
    {
        int fd;
        Clock::time_point deadline;
    };
    std::chrono::milliseconds m_allowed;
    QHash<const void *, Waiting> m_waiting;
};
