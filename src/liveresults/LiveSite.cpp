#include "liveresults/LiveSite.h"

#include <QMutexLocker>

std::shared_ptr<const LiveResource> LiveSite::find(const QString &path) const
{
    QMutexLocker lock(&m_mutex);
    return m_resources.value(path);
}

void LiveSite::publish(const QHash<QString, std::shared_ptr<const LiveResource>> &changed, const QList<QString> &removed, quint64 version)
{
    QMutexLocker lock(&m_mutex);
    for (const QString &path : removed)
        m_resources.remove(path);
    for (auto it = changed.cbegin(); it != changed.cend(); ++it)
        m_resources.insert(it.key(), it.value());
    m_version = version;
}

quint64 LiveSite::version() const
{
    QMutexLocker lock(&m_mutex);
    return m_version;
}
