#pragma once

// Where an event's settings, class tree and hand-correction log live, decided
// here alone from the folder's binding (DatabaseBinding). An event with its
// own database file keeps them as the folder's files (setup.ini,
// classlist.tree, timelog.txt); an event on a server keeps them as rows of
// the server's database (EventRecordTables), so that every seat reads and
// changes the same ones. A seat's folder keeps a timelog.txt of its own all
// the same.

#include "db/DatabaseAddress.h"
#include "store/ClassTable.h"
#include "store/EventSettings.h"

#include <functional>
#include <optional>
#include <vector>

namespace db {
class Connection;
}

// "timelog.txt" in the event folder.
QString CorrectionLogFileName(const QString &eventDirectory);

class EventRecords
{
public:
    // Raises KorventError when the folder's binding cannot be read.
    explicit EventRecords(const QString &eventDirectory);

    // The server's database holding them; none when they are the folder's files.
    const std::optional<db::DatabaseAddress> &server() const { return m_server; }

    EventSettings loadSettings() const;
    // Loads, changes and saves as one step (EventSettings::update). On a
    // server: one transaction that reads the rows as they are inside it and
    // writes only the settings `change` changed, so that seats changing
    // different settings at once both keep their change.
    EventSettings updateSettings(const std::function<void(EventSettings &)> &change) const;

    // Whether the event has the setting saved at all (a new event has none).
    // Called inside updateSettings' change, it reads what that save decides from.
    bool isSettingStored(const QString &key) const;

    // Empty when none was saved.
    ClassTree loadClassTree() const;
    // Replaces the stored tree whole.
    void saveClassTree(const ClassTree &tree) const;
    // Stores what `change` makes of the tree as stored now (on a server read
    // inside the transaction that writes it); returns the tree stored.
    ClassTree updateClassTree(const std::function<ClassTree(const ClassTree &stored)> &change) const;

    // Changes whenever the settings or the class tree were saved: the files'
    // sizes and times, or the rows' newest keys.
    std::vector<qint64> stamps() const;

    // The log on a server (server() set), newest line first.
    QStringList loadServerLog() const;
    void prependServerLog(const QString &line) const;
    // Replaces the log with what `merge` makes of it as it is now, in one
    // transaction; returns the lines written.
    QStringList mergeServerLog(const std::function<QStringList(const QStringList &current)> &merge) const;

    // Copying an event between the engines (EventCopy), inside the
    // transaction of the target database: the folder's files become rows of
    // `target`, or the rows of `source` the folder's files. Each returns the
    // number of rows, the same both ways for the same records.
    static qint64 copyFilesToRows(const QString &eventDirectory, db::Connection &target);
    static qint64 copyRowsToFiles(db::Connection &source, const QString &eventDirectory);

private:
    QString m_eventDirectory;
    std::optional<db::DatabaseAddress> m_server;
};
