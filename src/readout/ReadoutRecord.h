#pragma once

// The readout record of an "s" request, decoded: fields separated by ";",
// chip number, start, spare, finish (hundredths), card type, punch count,
// then a code and a time (seconds on the station clock) per punch.

#include <QString>
#include <optional>
#include <vector>

// A chip holds this many punches at most.
inline constexpr int MaxRecordPunches = 193;

struct RecordPunch
{
    qint64 code = 0; // the unit number the chip recorded
    qint64 time = 0; // hundredths on the station clock
};

struct ReadoutRecord
{
    QString chip;
    qint64 finish = 0; // hundredths; 77777500, -1 and -99 stand for no finish
    qint64 cardType = 0;
    std::vector<RecordPunch> punches; // in card order
};

// std::nullopt is the "Wrong parameters" refusal: fewer than 6 fields, fewer
// punch pairs than announced, a chip number that is not all digits, a numeric
// field that is no whole number or is negative (but the no-finish marks -1
// and -99), or a finish or punch time that does not fit the record's 32-bit
// hundredths. Raises KorventError for more than 601
// fields or more than MaxRecordPunches punches.
std::optional<ReadoutRecord> ParseReadoutRecord(const QString &text);
