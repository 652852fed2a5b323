#pragma once

// What the live results serve: every page, picture and JSON document in
// memory, by path. The publisher replaces resources whole; the HTTP server's
// thread takes a resource and keeps it for as long as it sends it, so a
// reader never sees half of a change and nothing is read from disk.

#include <QByteArray>
#include <QHash>
#include <QMutex>
#include <QString>
#include <memory>

struct LiveResource
{
    QByteArray body;
    QByteArray contentType;
    quint64 version = 0; // the site's version when the body last changed
    unsigned status = 200; // what it is answered with: 409 for a team number two teams share
};

class LiveSite
{
public:
    // The resource at this path ("/", "/teamresult_12.htm", "/api/results"); nullptr when none.
    std::shared_ptr<const LiveResource> find(const QString &path) const;
    // Puts the resources in place and removes those at `removed`, all at once,
    // then makes `version` the site's version.
    void publish(const QHash<QString, std::shared_ptr<const LiveResource>> &changed, const QList<QString> &removed, quint64 version);
    quint64 version() const;

private:
    mutable QMutex m_mutex;
    QHash<QString, std::shared_ptr<const LiveResource>> m_resources;
    quint64 m_version = 0;
};
