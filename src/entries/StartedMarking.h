#pragma once

// Marking runners as started without a start list: the result lists show a
// team's started runners only, and neither the import nor the readout marks
// them.

#include <QString>

namespace db { class Connection; }

enum class StartedRunners
{
    ReadOut, // a card read out: with one card per team every member of a team
             // with a punch, with a card per runner the runners with a punch
    All,
};

struct StartedMarkSummary
{
    int marked = 0;         // runners marked now
    int alreadyStarted = 0; // runners of the choice that were marked before
    // With a card per runner the started runners decide how many must punch:
    // results calculated before the marking may change.
    bool calculateAgain = false;
};

// Marks the chosen runners as started, in one transaction; controlCard is
// the event's rgControlCard.
StartedMarkSummary MarkRunnersStarted(db::Connection &connection, StartedRunners which, int controlCard);

// How many runners the choice holds that are not yet marked started.
int CountRunnersToMarkStarted(db::Connection &connection, StartedRunners which, int controlCard);

// "Marked 12 runners as started, 3 were already", with the reminder to
// calculate again when it is due.
QString StartedMarkSummaryText(const StartedMarkSummary &summary);
