#pragma once

// Copies an SQLite event's write-ahead log back into the database on a
// thread of its own. The connection that commits would otherwise do it
// before it returns, and a readout that happened to commit the thousandth
// page kept its station waiting for a thousand page writes and a flush of
// the database file. Connections that hand their checkpoints here
// (Connection::leaveCheckpointsTo) only ask for one.

#include "db/DatabaseAddress.h"

#include <condition_variable>
#include <mutex>
#include <thread>

namespace db {

class LogCheckpointer
{
public:
    LogCheckpointer() = default;
    // Waits for a checkpoint under way; one only asked for is left to the
    // next connection that commits.
    ~LogCheckpointer();
    LogCheckpointer(const LogCheckpointer &) = delete;
    LogCheckpointer &operator=(const LogCheckpointer &) = delete;

    // Asks for a checkpoint of the database at the address, the log being
    // that many pages long; returns at once. Asks made while one runs are
    // taken together.
    void request(const DatabaseAddress &address, int logPages);

private:
    void run();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    DatabaseAddress m_address;
    int m_logPages = 0;
    bool m_stopping = false;
    std::thread m_thread;
};

} // namespace db
