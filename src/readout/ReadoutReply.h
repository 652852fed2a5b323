#pragma once

// The reply lines of readout requests, without their line end.

#include <QString>

struct ComputedReadout;
struct ReadoutOwner;
struct ReadoutRecord;

// "E " and the message in double quotes, e.g. E "Wrong chip nr".
QString ReadoutErrorReply(const QString &message);

// "S " and chip; class start; finish; running time; points; team number;
// first and last name; class; team name; rent chip; punch count; code, time
// and flag of each punch; then the leg distances, each followed by ";".
QString ReadoutReplyText(const ReadoutRecord &record, const ReadoutOwner &owner, const ComputedReadout &computed);
