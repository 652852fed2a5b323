#pragma once

// Marking runners as started without a start list: the result lists show a
// team's started runners only, and neither the import nor the readout marks
// them.

#include <QString>

namespace db { class Connection; }

enum class StartedRunners
{
    ReadOut, // runners with at least one stored punch
    All,
};

struct StartedMarkSummary
{
    int marked = 0;         // runners marked now
    int alreadyStarted = 0; // runners of the choice that were marked before
};

// Marks the chosen runners as started, in one transaction.
StartedMarkSummary MarkRunnersStarted(db::Connection &connection, StartedRunners which);

// "Marked 12 runners as started, 3 were already".
QString StartedMarkSummaryText(const StartedMarkSummary &summary);
