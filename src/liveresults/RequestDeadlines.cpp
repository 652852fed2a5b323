#include "liveresults/RequestDeadlines.h"

void RequestDeadlines::awaitRequest(const void *connection, int fd, Clock::time_point now)
{
    m_waiting.insert(connection, Waiting{fd, now + m_allowed});
}

QList<int> RequestDeadlines::takeOverdue(Clock::time_point now)
{
    QList<int> overdue;
    for (auto it = m_waiting.begin(); it != m_waiting.end();) {
        if (it->deadline <= now) {
            overdue.append(it->fd);
            it = m_waiting.erase(it);
        } else {
            ++it;
        }
    }
    return overdue;
}
