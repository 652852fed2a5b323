#pragma once

// The event database: rogain.abs in the event folder, or the server database
// the folder is bound to (DatabaseBinding), opened on construction:
// created when missing, missing tables added, existing ones never altered. The
// file of another program (tables, none of ours) is refused untouched.
// Each thread that works on the event makes its own TdmData; they share the
// file, not the connection.

#include "db/Connection.h"

#include <QString>

class TdmData
{
public:
    explicit TdmData(const QString &eventDirectory);

    static QString databaseFileName(const QString &eventDirectory);

    db::Connection &connection() { return m_connection; }

    qint64 rowCount(const QString &table);

private:
    db::Connection m_connection;
};
