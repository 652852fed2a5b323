#include "readout/ReadoutRecord.h"

#include "base/KorventError.h"
#include "store/TextHelpers.h"

#include <QCoreApplication>
#include <QStringList>
#include <limits>

namespace {

constexpr int maxFieldIndex = 600;
constexpr qint64 maxHundredths = std::numeric_limits<qint32>::max();
constexpr qint64 minHundredths = std::numeric_limits<qint32>::min();

bool fitsHundredths(qint64 value)
{
    return value >= minHundredths && value <= maxHundredths;
}

} // namespace

std::optional<ReadoutRecord> ParseReadoutRecord(const QString &text)
{
    const QStringList fields = SplitFields(text, u';', maxFieldIndex);
    if (fields.size() < 6)
        return std::nullopt;
    const auto integer = [&](int field) { return LeadingInteger(fields.at(field - 1)); };
    const qint64 count = integer(6);
    if (count > MaxRecordPunches)
        throw KorventError(QCoreApplication::translate("Readout", "The readout announces %1 punches; a chip holds %2 at most").arg(count).arg(MaxRecordPunches));
    const int punchCount = static_cast<int>(qMax<qint64>(0, count));
    // A record that announces more punch pairs than it carries is refused whole.
    if (fields.size() < 6 + 2 * punchCount)
        return std::nullopt;

    ReadoutRecord record;
    record.chip = fields.at(0);
    record.finish = integer(4);
    record.cardType = integer(5);
    if (!fitsHundredths(record.finish))
        return std::nullopt;
    record.punches.reserve(static_cast<size_t>(punchCount));
    for (int k = 0; k < punchCount; ++k) {
        const qint64 seconds = integer(8 + 2 * k);
        // Checked before the multiplication, which could overflow otherwise.
        if (seconds > maxHundredths / 100 || seconds < minHundredths / 100)
            return std::nullopt;
        record.punches.push_back({integer(7 + 2 * k), seconds * 100});
    }
    return record;
}
