#pragma once

// The event's settings and class tree as one published value. The setup
// window publishes a new one when it closes; readers in any thread take a
// snapshot and keep it for as long as they work, never seeing half of a change.
// A change another program made to the files is taken in by the next snapshot.

#include "store/ClassTable.h"
#include "store/EventSettings.h"

#include <QMutex>
#include <memory>
#include <vector>

struct EventSetup
{
    EventSettings settings;
    ClassTree classTree;

    // Settings and class tree as stored in the event folder.
    static EventSetup load(const QString &eventDirectory);
};

// Sizes and times of the folder's setup.ini and classlist.tree: a cheap
// sign that one of them was written since the stamps were taken.
using EventSetupStamps = std::vector<qint64>;
EventSetupStamps EventSetupFileStamps(const QString &eventDirectory);

class SharedEventSetup
{
public:
    // A setup of no event folder: it changes only when published.
    explicit SharedEventSetup(EventSetup setup = {});
    // The setup of the event in this folder, following its files.
    explicit SharedEventSetup(const QString &eventDirectory);

    // The setup as it is now. Following a folder, it is loaded again (and
    // kept) when setup.ini or classlist.tree changed since the last load or
    // publish: another program changed them. The check is cheap: each file's
    // size and times.
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
