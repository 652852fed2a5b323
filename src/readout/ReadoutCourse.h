#pragma once

// A readout worker's own copy of the course, loaded on "si": controls by
// unit number, extra-point rules, classes, the event date and the penalty
// settings. Readouts are worked out from it without reading the tables.

#include "scoring/ExtraPointRules.h"
#include "store/ClassTable.h"
#include "store/DateTime.h"

#include <QString>
#include <vector>

namespace db { class Connection; }
struct EventSetup;

struct ReadoutControl
{
    qint64 unitNumber = 0;
    QString kp;      // control code, or the type letter of I, O, F and W controls
    qint64 x = 0;
    qint64 y = 0;
    qint64 points = 0;
};

struct ReadoutCourse
{
    std::vector<ReadoutControl> controls; // ascending unit number
    ExtraPointRules extraPoints;
    ClassTable classes;
    TDateTime eventDate = 0; // midnight of the event day
    int penaltyPoints = -1;
    int penaltySeconds = 60;
    qint64 startX = 0, startY = 0, finishX = 0, finishY = 0;

    // The tables and settings as they are now.
    static ReadoutCourse load(db::Connection &connection, const EventSetup &setup);

    // The first control with this unit number, or nullptr.
    const ReadoutControl *FindControlByCode(qint64 unitNumber) const;
};
