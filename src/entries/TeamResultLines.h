#pragma once

// A team's punch list as text lines, worked out from its stored punches on
// the course as the tables hold it now; the team row is not changed.

#include <QStringList>
#include <memory>

class MessageSink;
class TdmData;
struct EventSetup;

// The lines of the team with this number; none when it has no punches.
QStringList TeamResultLines(TdmData &data, std::shared_ptr<const EventSetup> setup, MessageSink &messages, qint64 number);
