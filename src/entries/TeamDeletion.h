#pragma once

// A deleted team takes its runners with it; its punches stay.

#include <QVariantList>

namespace db { class Connection; }

// Deletes the runners of the teams, inside the caller's transaction that deletes the teams.
void DeleteRunnersOfTeams(db::Connection &connection, const QVariantList &teamIds);
