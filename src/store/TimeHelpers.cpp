#include "store/TimeHelpers.h"

#include "base/Platform.h"
#include "store/StatusTexts.h"
#include "store/TextHelpers.h"
#include "store/lmTimeFormat.h"

#include <QLocale>
#include <QTime>
#include <cmath>

namespace {
constexpr qint64 statusUnit = 100'000'000;

QString twoDigits(qint64 v) { return QString::number(v).rightJustified(2, QLatin1Char('0')); }

const char *const timeCodeWords[] = {"OK", "-", "OOB", "DNF", "MP", "OT", "DQ", "DNS", "NC", "NA"};
} // namespace

qint64 ClockTextToHundredths(const QString &s, QChar fractionSeparator)
{
    const qsizetype p = s.indexOf(QLatin1Char(':'));
    if (s.size() <= 6 || p < 0)
        return -1;
    const QStringView text(s);
    const qint64 hours = LeadingNumber(text.left(p));
    if (hours > MaxClockHundredths / 360'000)
        return -1;
    const qint64 minutes = LeadingNumber(text.mid(p + 1, 2));
    const qint64 seconds = LeadingNumber(text.mid(p + 4, 2));
    qint64 fraction = 0;
    const qsizetype separatorAt = s.indexOf(fractionSeparator);
    if (separatorAt >= 0) {
        fraction = LeadingNumber(text.mid(separatorAt + 1));
        if (fraction > MaxClockHundredths)
            return -1;
        if (fraction < 10)
            fraction *= 10;
    }
    const qint64 hundredths = hours * 360'000 + minutes * 6'000 + seconds * 100 + fraction;
    return hundredths > MaxClockHundredths ? -1 : hundredths;
}

QString FormatSeconds(qint64 seconds)
{
    if (seconds < 0)
        return QStringLiteral("-");
    seconds %= statusUnit;
    return QString::number(seconds / 3600) + u':' + twoDigits(seconds / 60 % 60) + u':' + twoDigits(seconds % 60);
}

QString FormatHundredths(qint64 h, int fractionDigits)
{
    if (h < 0 || h >= 7 * statusUnit)
        return QStringLiteral("-");
    h %= statusUnit;
    QString text = twoDigits(h / 360'000) + u':' + twoDigits(h / 6'000 % 60) + u':' + twoDigits(h / 100 % 60);
    if (fractionDigits > 0)
        text += u'.' + twoDigits(h % 100).left(fractionDigits);
    return text;
}

QString ResultText(qint64 result)
{
    if (result >= 0)
        return QString::number(result);
    return TeamStatusText(-result);
}

qint64 SecondsBetween(SerialDateTime a, SerialDateTime b)
{
    if (a <= 0 || b <= 0)
        return 0;
    // nearbyint rounds halves to even in the default rounding mode.
    return static_cast<qint64>(std::nearbyint(std::fabs(a - b) * 86'400.0));
}

SerialDateTime UnwrapClockTime(qint64 reference, qint64 &time, SerialDateTime referenceDateTime)
{
    if (time < reference) {
        // The gap is taken unsigned so that no pair of values overflows it.
        const quint64 remainder = (static_cast<quint64>(reference) - static_cast<quint64>(time)) % ChipClockWrap;
        time = reference + (remainder == 0 ? 0 : ChipClockWrap - static_cast<qint64>(remainder));
    }
    return referenceDateTime + static_cast<double>(time - reference) / 8'640'000.0;
}

QString DateTimeText(bool withDate, SerialDateTime dateTime)
{
    const QString time = QLocale::system().toString(DateTime::timePart(dateTime), Platform::longTimeFormat());
    return withDate ? DateText(dateTime) + u' ' + time : time;
}

QString DateText(SerialDateTime dateTime)
{
    return QLocale::system().toString(DateTime::datePart(dateTime), Platform::shortDateFormat());
}

QString ClockStamp()
{
    const QTime now = QTime::currentTime();
    return QStringLiteral("%1:%2:%3:%4").arg(now.hour()).arg(now.minute()).arg(now.second()).arg(now.msec() / 10);
}

QString TimeCodeText(qint64 v, int kind)
{
    if (v >= statusUnit) {
        const qint64 status = v / statusUnit;
        if (status == 2)
            return TimeCodeText(v % statusUnit, kind) + u'*';
        // Codes from 1,000,000,000 up carry no status digit; shown as "?".
        return status < 10 ? QString::fromLatin1(timeCodeWords[status]) : QStringLiteral("?");
    }
    TlmTimeEditFormat format;
    switch (kind) {
    case 0: format = TlmTimeEditFormat::hhmmss; break;
    case 1: format = TlmTimeEditFormat::hhmmssk; break;
    case 2: format = TlmTimeEditFormat::hhmmsskt; break;
    case 10: format = TlmTimeEditFormat::mmmss; break;
    case 11: format = TlmTimeEditFormat::mmmssk; break;
    case 12: format = TlmTimeEditFormat::mmmsskt; break;
    case 20: format = TlmTimeEditFormat::mss; break;
    case 21: format = TlmTimeEditFormat::mssk; break;
    case 22: format = TlmTimeEditFormat::msskt; break;
    case 30: format = TlmTimeEditFormat::hhhmmss; break;
    case 31: format = TlmTimeEditFormat::xhmmss; break;
    default: return QString();
    }
    return IntMSToString(format, v);
}
