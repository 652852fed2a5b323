#include "store/lmTimeFormat.h"

#include "store/TextHelpers.h"

namespace {

// Every length is its mask's: a shorter one would cut the last fraction
// digit off the format's own initial text.
const TimeFormatInfo formats[TimeFormatCount] = {
    {"hhmmss", "99:59.59", "00:00.00", 8},
    {"hhmmssk", "99:59.59,9", "00:00.00,0", 10},
    {"hhmmsskt", "99:59.59,99", "00:00.00,00", 11},
    {"hmmss", "9:59.59", "0:00.00", 7},
    {"hmmssk", "9:59.59,9", "0:00.00,0", 9},
    {"hmmsskt", "9:59.59,99", "0:00.00,00", 10},
    {"mmmss", "999.59", "000.00", 6},
    {"mmmssk", "999.59,9", "000.00,0", 8},
    {"mmmsskt", "999.59,99", "000.00,00", 9},
    {"mss", "999.59", "000.00", 6},
    {"mssk", "999.59,9", "000.00,0", 8},
    {"msskt", "999.59,99", "000.00,00", 9},
    {"hhhmmss", "999:59.59", "000:00:00", 9},
    {"xhmmss", "009:59.59", "000:00:00", 9},
};

// What follows the seconds: nothing, tenths or hundredths.
enum class Fraction { None, Tenths, Hundredths };

Fraction fractionOf(TlmTimeEditFormat format)
{
    const int f = static_cast<int>(format);
    if (f >= 12)
        return Fraction::None;
    return static_cast<Fraction>(f % 3);
}

QString twoDigits(qint64 v) { return QString::number(v).rightJustified(2, QLatin1Char('0')); }
QString threeDigits(qint64 v) { return QString::number(v).rightJustified(3, QLatin1Char('0')); }

// A field of the text at 1-based position `from`, `length` characters long.
qint64 field(const QString &text, int from, int length)
{
    return LeadingNumber(QStringView(text).mid(from - 1, length));
}

} // namespace

const TimeFormatInfo &timeFormatInfo(TlmTimeEditFormat format)
{
    return formats[static_cast<int>(format)];
}

QString IntMSToString(TlmTimeEditFormat format, qint64 v)
{
    if (v < 0)
        return QStringLiteral("-");
    const qint64 h = v / 360'000;
    const qint64 m = v / 6'000 % 60;
    const qint64 s = v / 100 % 60;
    const qint64 f = v % 100;
    qint64 totalMinutes = h * 60 + m;
    if (totalMinutes > 999)
        totalMinutes %= 1000;

    QString text;
    switch (format) {
    case TlmTimeEditFormat::hhmmss:
    case TlmTimeEditFormat::hhmmssk:
    case TlmTimeEditFormat::hhmmsskt:
        text = twoDigits(h % 100) + u':' + twoDigits(m) + u'.' + twoDigits(s);
        break;
    case TlmTimeEditFormat::hmmss:
    case TlmTimeEditFormat::hmmssk:
    case TlmTimeEditFormat::hmmsskt:
        text = QString::number(h % 10) + u':' + twoDigits(m) + u'.' + twoDigits(s);
        break;
    case TlmTimeEditFormat::mmmss:
    case TlmTimeEditFormat::mmmssk:
    case TlmTimeEditFormat::mmmsskt:
        text = threeDigits(totalMinutes) + u':' + twoDigits(s);
        break;
    case TlmTimeEditFormat::mss:
    case TlmTimeEditFormat::mssk:
    case TlmTimeEditFormat::msskt:
        text = threeDigits(totalMinutes) + u':' + twoDigits(s);
        for (int dropped = 0; dropped < 2 && text.startsWith(u'0'); ++dropped)
            text.remove(0, 1);
        break;
    case TlmTimeEditFormat::hhhmmss:
        text = threeDigits(h) + u':' + twoDigits(m) + u'.' + twoDigits(s);
        break;
    case TlmTimeEditFormat::xhmmss:
        text = QString::number(h) + u':' + twoDigits(m) + u'.' + twoDigits(s);
        break;
    }

    switch (fractionOf(format)) {
    case Fraction::Tenths:
        text += u',' + QString::number(f / 10);
        break;
    case Fraction::Hundredths:
        text += u',' + twoDigits(f);
        break;
    case Fraction::None:
        break;
    }
    return text;
}

qint64 StrToTimeMS(TlmTimeEditFormat format, const QString &text)
{
    qint64 hours = 0, minutes = 0, seconds = 0, fraction = 0;
    switch (format) {
    case TlmTimeEditFormat::hhmmss:
    case TlmTimeEditFormat::hhmmssk:
    case TlmTimeEditFormat::hhmmsskt:
        hours = field(text, 1, 2);
        minutes = field(text, 4, 2);
        seconds = field(text, 7, 2);
        if (format == TlmTimeEditFormat::hhmmssk)
            fraction = field(text, 10, 1) * 10;
        else if (format == TlmTimeEditFormat::hhmmsskt)
            fraction = field(text, 10, 2);
        break;
    case TlmTimeEditFormat::hmmss:
    case TlmTimeEditFormat::hmmssk:
    case TlmTimeEditFormat::hmmsskt:
        hours = field(text, 1, 1);
        minutes = field(text, 3, 2);
        seconds = field(text, 6, 2);
        if (format == TlmTimeEditFormat::hmmssk)
            fraction = field(text, 9, 1) * 10;
        else if (format == TlmTimeEditFormat::hmmsskt)
            fraction = field(text, 9, 2);
        break;
    case TlmTimeEditFormat::mmmss:
    case TlmTimeEditFormat::mmmssk:
    case TlmTimeEditFormat::mmmsskt:
        minutes = field(text, 1, 3);
        seconds = field(text, 5, 2);
        if (format == TlmTimeEditFormat::mmmssk)
            fraction = field(text, 8, 1) * 10;
        else if (format == TlmTimeEditFormat::mmmsskt)
            fraction = field(text, 8, 2);
        break;
    case TlmTimeEditFormat::hhhmmss:
        hours = field(text, 1, 3);
        minutes = field(text, 5, 2);
        seconds = field(text, 8, 2);
        break;
    case TlmTimeEditFormat::mss:
    case TlmTimeEditFormat::mssk:
    case TlmTimeEditFormat::msskt:
    case TlmTimeEditFormat::xhmmss:
        // These forms have no fixed positions to read from.
        break;
    }
    return hours * 360'000 + minutes * 6'000 + seconds * 100 + fraction;
}
