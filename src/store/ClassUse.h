#pragma once

// How many teams are entered in a class, by their class or their extra class:
// a class renamed or removed in the tree leaves those teams out of the results.

#include <QString>

namespace db {
class Connection;
}

qint64 TeamsEnteredInClass(db::Connection &connection, const QString &className);
