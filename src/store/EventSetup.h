#pragma once

// The event's settings and class tree as one published value. The setup
// window publishes a new one when it closes; readers in any thread take a
// snapshot and keep it for as long as they work, never seeing half of a change.
// A change another program or seat made is taken in by the next snapshot.

#include "store/ClassTable.h"
#include "store/EventSettings.h"

#include <QMutex>
#include <memory>
#include <vector>

struct EventSetup
{
    EventSettings settings;
    ClassTree classTree;

    // Settings and class tree where the event keeps them (EventRecords).
    static EventSetup load(const QString &eventDirectory);
};

// A cheap sign that the settings or the class tree were written since the
// stamps were taken (EventRecords::stamps).
using EventSetupStamps = std::vector<qint64>;
EventSetupStamps EventSetupStampsOf(const QString &eventDirectory);

class SharedEventSetup
{
public:
    // A setup of no event folder: it changes only when published.
    explicit SharedEventSetup(EventSetup setup = {});
    // The setup of the event in this folder, following its files.
    explicit SharedEventSetup(const QString &eventDirectory);

    // The setup as it is now. Following a folder, it is loaded again (and
    // kept) when the settings or the class tree changed since the last load
    // or publish: another program or seat changed them. The check is cheap.
    std::shared_ptr<const EventSetup> snapshot() const;
    // A setup just saved to the event's files (or, without a folder, only made current).
    void publish(EventSetup setup);

private:
    EventSetupStamps stampsNow() const;

    QString m_eventDirectory;
    mutable QMutex m_mutex;
    mutable std::shared_ptr<const EventSetup> m_current;
    mutable EventSetupStamps m_stamps;
    // Counts publishes, so that a load begun before one never replaces it.
    mutable quint64 m_generation = 0;
};
