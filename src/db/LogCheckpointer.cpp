#include "db/LogCheckpointer.h"

#include "db/Connection.h"

#include <optional>

namespace db {

LogCheckpointer::~LogCheckpointer()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    if (m_thread.joinable())
        m_thread.join();
}

void LogCheckpointer::request(const DatabaseAddress &address, int logPages)
{
    {
        std::lock_guard lock(m_mutex);
        m_address = address;
        m_logPages = std::max(m_logPages, logPages);
        if (!m_thread.joinable())
            m_thread = std::thread(&LogCheckpointer::run, this);
    }
    m_wake.notify_one();
}

void LogCheckpointer::run()
{
    // Its own connection, opened and closed on this thread.
    std::optional<Connection> connection;
    std::unique_lock lock(m_mutex);
    while (true) {
        m_wake.wait(lock, [this] { return m_stopping || m_logPages > 0; });
        if (m_stopping)
            break;
        const int logPages = std::exchange(m_logPages, 0);
        const DatabaseAddress address = m_address;
        lock.unlock();
        try {
            if (!connection || !(connection->address() == address))
                connection.emplace(address);
            connection->copyLogBack(logPages);
        } catch (const KorventError &) {
            // The pages stay safe in the log; the next commit asks again.
            connection.reset();
        }
        lock.lock();
    }
    lock.unlock();
    connection.reset();
}

} // namespace db
