#include "store/EventSetup.h"

#include "store/EventRecords.h"

#include <QMutexLocker>

EventSetup EventSetup::load(const QString &eventDirectory)
{
    const EventRecords records(eventDirectory);
    return EventSetup{records.loadSettings(), SortedClassTree(records.loadClassTree())};
}

EventSetupStamps EventSetupStampsOf(const QString &eventDirectory)
{
    return EventRecords(eventDirectory).stamps();
}

SharedEventSetup::SharedEventSetup(EventSetup setup)
    : m_current(std::make_shared<const EventSetup>(std::move(setup)))
{
}

SharedEventSetup::SharedEventSetup(const QString &eventDirectory)
    : m_eventDirectory(eventDirectory)
{
    m_stamps = stampsNow();
    m_current = std::make_shared<const EventSetup>(EventSetup::load(eventDirectory));
}

EventSetupStamps SharedEventSetup::stampsNow() const
{
    return m_eventDirectory.isEmpty() ? EventSetupStamps() : EventSetupStampsOf(m_eventDirectory);
}

std::shared_ptr<const EventSetup> SharedEventSetup::snapshot() const
{
    if (m_eventDirectory.isEmpty()) {
        QMutexLocker lock(&m_mutex);
        return m_current;
    }
    const EventSetupStamps stamps = stampsNow();
    quint64 generation = 0;
    {
        QMutexLocker lock(&m_mutex);
        if (stamps == m_stamps)
            return m_current;
        generation = m_generation;
    }
    // Read without the lock: readers of the snapshot never wait for the disk.
    auto loaded = std::make_shared<const EventSetup>(EventSetup::load(m_eventDirectory));
    QMutexLocker lock(&m_mutex);
    if (generation == m_generation) {
        m_current = std::move(loaded);
        m_stamps = stamps;
        ++m_generation;
    }
    return m_current;
}

void SharedEventSetup::publish(EventSetup setup)
{
    auto next = std::make_shared<const EventSetup>(std::move(setup));
    const EventSetupStamps stamps = stampsNow();
    QMutexLocker lock(&m_mutex);
    m_current = std::move(next);
    m_stamps = stamps;
    ++m_generation;
}
