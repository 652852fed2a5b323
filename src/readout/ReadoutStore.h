#pragma once

// The database side of a readout: the runner and team a chip belongs to and
// the readout's rows, both inside the one transaction of the readout.

#include <QString>
#include <QVariant>

namespace db { class Connection; }
struct ComputedReadout;

struct ReadoutOwner
{
    // The message of the error reply when the chip has no runner or the runner no team; nothing else is set then.
    QString refusal;
    qint64 runnerId = 0;
    qint64 teamId = 0;
    QString teamNumber;
    QString firstName;
    QString lastName;
    QString teamClass;
    QString teamName;
    QVariant rentChip; // null when unset

    bool operator==(const ReadoutOwner &) const = default;
};

// The first runner with this chip number and that runner's team.
ReadoutOwner FindReadoutOwner(db::Connection &connection, const QString &chip);

// Replaces the runner's rows by the readout's (adds them with multi readout).
// Runs inside the transaction in which the owner was found.
void StoreReadout(db::Connection &connection, const ReadoutOwner &owner, const ComputedReadout &computed);
