#include "readout/ReadoutRecord.h"

#include "base/KorventError.h"
#include "store/TextHelpers.h"

#include <QCoreApplication>
#include <QStringList>
#include <algorithm>
#include <limits>

namespace {

constexpr int maxFieldIndex = 600;
constexpr qint64 maxHundredths = std::numeric_limits<qint32>::max();

bool isDigits(QStringView text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// A field that is a decimal integer, blanks around it allowed; anything else
// (empty, letters, trailing garbage) is no number at all.
std::optional<qint64> wholeNumber(const QString &field)
{
    QStringView text = QStringView(field);
    while (!text.isEmpty() && text.front() == u' ')
        text = text.mid(1);
    while (!text.isEmpty() && text.back() == u' ')
        text.chop(1);
    const QStringView digits = !text.isEmpty() && (text.front() == u'-' || text.front() == u'+') ? text.mid(1) : text;
    if (!isDigits(digits))
        return std::nullopt;
    return LeadingInteger(text);
}

// A finish below zero is only one of the two no-finish marks.
bool isFinishValue(qint64 finish)
{
    return finish >= 0 || finish == -1 || finish == -99;
}

} // namespace

std::optional<ReadoutRecord> ParseReadoutRecord(const QString &text)
{
    const QStringList fields = SplitFields(text, u';', maxFieldIndex);
    if (fields.size() < 6)
        return std::nullopt;
    const auto number = [&](int field) { return wholeNumber(fields.at(field - 1)); };
    // Every numeric field is a whole number, none of them negative but the
    // no-finish marks: a station never sends anything else, and a garbled
    // record must not replace a runner's stored punches.
    const std::optional<qint64> count = number(6);
    if (!count || *count < 0)
        return std::nullopt;
    if (*count > MaxRecordPunches)
        throw KorventError(QCoreApplication::translate("Readout", "The readout announces %1 punches; a chip holds %2 at most").arg(*count).arg(MaxRecordPunches));
    const int punchCount = static_cast<int>(*count);
    // A record that announces more punch pairs than it carries is refused whole.
    if (fields.size() < 6 + 2 * punchCount)
        return std::nullopt;

    ReadoutRecord record;
    record.chip = fields.at(0);
    if (!isDigits(record.chip))
        return std::nullopt;
    for (const int startOrSpare : {2, 3}) {
        const std::optional<qint64> time = number(startOrSpare);
        if (!time || *time < 0)
            return std::nullopt;
    }
    const std::optional<qint64> finish = number(4);
    const std::optional<qint64> cardType = number(5);
    if (!finish || !isFinishValue(*finish) || *finish > maxHundredths || !cardType || *cardType < 0)
        return std::nullopt;
    record.finish = *finish;
    record.cardType = *cardType;
    record.punches.reserve(static_cast<size_t>(punchCount));
    for (int k = 0; k < punchCount; ++k) {
        const std::optional<qint64> code = number(7 + 2 * k);
        const std::optional<qint64> seconds = number(8 + 2 * k);
        // Checked before the multiplication, which could overflow otherwise.
        if (!code || *code < 0 || !seconds || *seconds < 0 || *seconds > maxHundredths / 100)
            return std::nullopt;
        record.punches.push_back({*code, *seconds * 100});
    }
    return record;
}
