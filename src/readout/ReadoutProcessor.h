#pragma once

// What a readout worker does with the data requests of its client: load its
// own copy of the course ("si"), answer event information ("i") and store a
// chip's punches ("s"), replying with a provisional score.

#include "readout/ReadoutComputation.h"
#include "store/EventSetup.h"

#include <QString>
#include <memory>

class TdmData;
namespace db {
class LogCheckpointer;
}

struct ReadoutResult
{
    QString reply;        // without line end
    QString notification; // "Z 0" after a stored readout, else empty
    qint64 teamId = 0;    // the team whose punches were stored; 0 for a refusal
};

class ReadoutProcessor
{
public:
    // Opens the worker's own connection to the event database; its
    // checkpoints go to the checkpointer when one is given.
    ReadoutProcessor(const QString &eventDirectory, const SharedEventSetup &setup,
                     std::shared_ptr<db::LogCheckpointer> checkpointer = {});
    ~ReadoutProcessor();

    // "si": controls by unit number, extra-point rules, classes and the
    // event date and penalty settings, as they are now: the settings and
    // classes are read again when another program changed their files.
    void LoadCourseCopy();
    // "i": the settings as they are now; an empty argument gets the "No Data" error reply.
    QString EventInfoReply(const QString &argument) const;
    // "s": parse the record (ParseReadoutRecord), find its runner and team
    // (FindReadoutOwner), work out rows and score (ComputeReadout) and store
    // them (StoreReadout) in one transaction, and reply (ReadoutReplyText).
    // The work is done before the transaction and kept when the runner and
    // team read again inside it are as they were.
    // A refusal changes nothing. Raises KorventError
    // for a malformed record (a punch count above 193, more than 601 fields)
    // or a failure while working out or storing; nothing is then changed.
    ReadoutResult ProcessReadout(const QString &record);
    // Empty while this worker's database files are in place (see
    // db::Connection::replacedFileMessage).
    QString replacedFileMessage() const;

private:
    std::unique_ptr<TdmData> m_data;
    const SharedEventSetup &m_setup;
    CourseCopy m_course;
};
