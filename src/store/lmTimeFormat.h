#pragma once

// The fourteen clock formats of the time entry control and the text
// conversions that go with them. Kept free of widgets so that reports and
// exports render times the same way the control shows them.

#include <QString>

enum class TlmTimeEditFormat {
    hhmmss, hhmmssk, hhmmsskt,
    hmmss, hmmssk, hmmsskt,
    mmmss, mmmssk, mmmsskt,
    mss, mssk, msskt,
    hhhmmss, xhmmss,
};

inline constexpr int TimeFormatCount = 14;

struct TimeFormatInfo
{
    const char *name;
    // The highest digit allowed at each position; other characters are fixed separators.
    const char *mask;
    // The text after a reset.
    const char *initial;
    int length;
};

const TimeFormatInfo &timeFormatInfo(TlmTimeEditFormat format);

// Renders hundredths by the format; "-" for a negative value.
QString IntMSToString(TlmTimeEditFormat format, qint64 hundredths);
// Reads a text by the fixed character positions of the format.
qint64 StrToTimeMS(TlmTimeEditFormat format, const QString &text);
