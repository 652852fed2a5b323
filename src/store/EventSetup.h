#pragma once

// The event's settings and class tree as one published value. The setup
// window publishes a new one when it closes; readers in any thread take a
// snapshot and keep it for as long as they work, never seeing half of a change.

#include "store/ClassTable.h"
#include "store/EventSettings.h"

#include <QMutex>
#include <memory>

struct EventSetup
{
    EventSettings settings;
    ClassTree classTree;

    // Settings and class tree as stored in the event folder.
    static EventSetup load(const QString &eventDirectory);
};

class SharedEventSetup
{
public:
    explicit SharedEventSetup(EventSetup setup = {});

    std::shared_ptr<const EventSetup> snapshot() const;
    void publish(EventSetup setup);

private:
    mutable QMutex m_mutex;
    std::shared_ptr<const EventSetup> m_current;
};
