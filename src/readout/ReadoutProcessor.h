#pragma once

// What a readout worker does with the data requests of its client: load its
// own copy of the course ("si"), answer event information ("i") and store a
// chip's punches ("s"), replying with a provisional score.

#include "scoring/ExtraPointRules.h"
#include "store/ClassTable.h"
#include "store/DateTime.h"
#include "store/EventSetup.h"

#include <QString>
#include <memory>
#include <vector>

class TdmData;

struct ReadoutControl
{
    qint64 unitNumber = 0;
    QString kp;      // control code, or the type letter of I, O, F and W controls
    qint64 x = 0;
    qint64 y = 0;
    qint64 points = 0;
};

struct ReadoutResult
{
    QString reply;        // without line end
    QString notification; // "Z 0" after a stored readout, else empty
};

class ReadoutProcessor
{
public:
    // Opens the worker's own connection to the event database.
    ReadoutProcessor(const QString &eventDirectory, const SharedEventSetup &setup);
    ~ReadoutProcessor();

    // "si": controls by unit number, extra-point rules, classes and the
    // event date and penalty settings, as they are now.
    void LoadCourseCopy();
    // "i": raises nothing; an empty argument gets the "No Data" error reply.
    QString EventInfoReply(const QString &argument) const;
    // "s": all rows of a readout are stored in one transaction, or none.
    // Raises KorventError for a malformed record (a punch count above 193,
    // more than 601 fields) or a database failure; nothing is then changed.
    ReadoutResult ProcessReadout(const QString &record);

private:
    const ReadoutControl *FindControlByCode(qint64 unitNumber) const;

    std::unique_ptr<TdmData> m_data;
    const SharedEventSetup &m_setup;

    // The course copy.
    std::vector<ReadoutControl> m_controls;
    ExtraPointRules m_extraPoints;
    ClassTable m_classes;
    TDateTime m_eventDate = 0;
    int m_penaltyPoints = -1;
    int m_penaltySeconds = 60;
    qint64 m_startX = 0, m_startY = 0, m_finishX = 0, m_finishY = 0;
};
