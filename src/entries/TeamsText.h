#pragma once

// The teams with their runners as text: a line a team in number order with
// its runners below it, values separated by tabs.

#include <QStringList>

namespace db { class Connection; }

// Team lines: number, name, class, extra class, club, country, entry id,
// status; runner lines, indented by a tab: first and last name, sex, birth
// date, chip, country, "rent" for a rented chip, "started" once started.
QStringList TeamsWithRunnersText(db::Connection &connection);
