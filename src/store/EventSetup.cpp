#include "store/EventSetup.h"

#include <QMutexLocker>

EventSetup EventSetup::load(const QString &eventDirectory)
{
    return EventSetup{EventSettings::load(eventDirectory), SortedClassTree(ReadClassTreeFile(ClassTreeFileName(eventDirectory)))};
}

SharedEventSetup::SharedEventSetup(EventSetup setup)
    : m_current(std::make_shared<const EventSetup>(std::move(setup)))
{
}

std::shared_ptr<const EventSetup> SharedEventSetup::snapshot() const
{
    QMutexLocker lock(&m_mutex);
    return m_current;
}

void SharedEventSetup::publish(EventSetup setup)
{
    auto next = std::make_shared<const EventSetup>(std::move(setup));
    QMutexLocker lock(&m_mutex);
    m_current = std::move(next);
}
