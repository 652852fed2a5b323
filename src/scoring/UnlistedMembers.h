#pragma once

// The result lists name a team's started runners only: a listed team (with
// points or a status) and no runner marked started is shown without its members.

#include <QStringList>

class MessageSink;
namespace db { class Connection; }

// Calculated teams of these classes (all teams when empty), as the result
// lists hold them, none of whose runners is marked started.
int CountResultTeamsWithoutStartedRunner(db::Connection &connection, const QStringList &classes = {});

// A warning naming how many such teams there are and how to mend it with the
// commands of the sink's front end; nothing when there are none.
void WarnResultTeamsWithoutStartedRunner(db::Connection &connection, MessageSink &messages, const QStringList &classes = {});
