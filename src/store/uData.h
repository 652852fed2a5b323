#pragma once

// The event database: rogain.abs in the event folder, opened on construction:
// created when missing, missing tables added, existing ones never altered. The
// file of another program (tables, none of ours) is refused untouched.
// Each thread that works on the event makes its own TdmData; they share the
// file, not the connection.

#include "db/Connection.h"

#include <QString>
#include <QVariantMap>
#include <optional>
#include <vector>

using Row = QVariantMap;

class TdmData
{
public:
    explicit TdmData(const QString &eventDirectory);

    static QString databaseFileName(const QString &eventDirectory);

    db::Connection &connection() { return m_connection; }

    // Rows by values: date-time fields take a TDateTime (double) or its
    // stored text, booleans take bool, an empty text is stored as NULL.
    // New team rows get status 9 (NA) unless the values name another.
    qint64 insertRow(const QString &table, const Row &values);
    void updateRow(const QString &table, qint64 id, const Row &values);
    std::optional<Row> findRow(const QString &table, qint64 id);
    // Rows whose fields equal the given values (all rows for none), ordered by the fields named.
    std::vector<Row> selectRows(const QString &table, const Row &equals = {}, const QStringList &orderBy = {});
    qint64 rowCount(const QString &table);

    // Deletes the team's runners and then the team; its punches stay.
    void deleteTeam(qint64 teamId);

private:
    db::Connection m_connection;
};
