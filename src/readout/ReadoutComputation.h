#pragma once

// What a readout earns and which punch rows it leaves, worked out from the
// record, the team's class and the worker's course copy, without the
// database: the rows to store and the values of the reply.

#include "readout/ReadoutRecord.h"

#include "scoring/CourseDefinition.h"
#include "store/DateTime.h"
#include "store/EventSetup.h"

#include <QString>
#include <memory>
#include <vector>

// A worker's copy from its client's last "si": the course, and the setup as it
// was then, which gives the event day and the penalty rule. Until the first
// "si" it is empty: no class is known.
struct CourseCopy
{
    std::shared_ptr<const CourseDefinition> course = std::make_shared<const CourseDefinition>();
    std::shared_ptr<const EventSetup> setup = std::make_shared<const EventSetup>();
};

// A res_cp row of the readout.
struct ReadoutRow
{
    QString kp;
    int status = 0;     // PunchStatus
    SerialDateTime time = 0;
    qint64 count = 0;   // points of the visit, extra points included
};

// A punch as the reply shows it.
struct ReplyPunch
{
    qint64 code = 0;  // the control's number; -1 for an unknown unit
    qint64 time = 0;  // hundredths as processed; -1 for a punch without time
    int flag = 0;     // 1 counted, 4 not counted
};

struct ComputedReadout
{
    // The message of the error reply of a refused readout; nothing else is set then.
    QString refusal;
    bool replacesEarlierRows = true; // false with multi readout
    std::vector<ReadoutRow> rows;    // the punches in card order, then the finish
    qint64 start = 0;                // the class start, hundredths
    qint64 finish = 0;               // hundredths as processed; -9900 for no finish
    qint64 runningTime = 0;          // hundredths, or a DNF or OT time code
    qint64 points = 0;
    std::vector<ReplyPunch> punches;
    QString distances;               // leg lengths in metres, each followed by ";"
};

// Refuses a readout whose team class is unknown or has no start time, that
// has no finish without multi readout, or whose times run past the year 9999.
// Raises KorventError when a penalty is due and the penalty span is not
// positive. Multi readout and distances follow the settings as they are now.
ComputedReadout ComputeReadout(const ReadoutRecord &record, const QString &teamClass, const CourseCopy &copy,
                               const EventSettings &settings);
