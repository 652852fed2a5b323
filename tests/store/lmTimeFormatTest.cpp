#include "store/lmTimeFormat.h"

#include <gtest/gtest.h>

using F = TlmTimeEditFormat;

TEST(TimeFormats, RenderHundredthsByFormat)
{
    const qint64 v = 4'500'057; // 12:30:00.57
    const struct { F format; qint64 value; const char *expected; } cases[] = {
        {F::hhmmss, v, "12:30.00"},
        {F::hhmmssk, v, "12:30.00,5"},
        {F::hhmmsskt, v, "12:30.00,57"},
        {F::hmmss, v, "2:30.00"},
        {F::hmmssk, v, "2:30.00,5"},
        {F::hmmsskt, v, "2:30.00,57"},
        {F::mmmss, v, "750:00"},
        {F::mmmssk, 33'040, "005:30,4"},
        {F::mmmsskt, 33'040, "005:30,40"},
        {F::mss, 33'000, "5:30"},
        {F::mssk, 3'000, "0:30,0"},
        {F::msskt, 63'000, "10:30,00"},
        {F::hhhmmss, v, "012:30.00"},
        {F::xhmmss, v, "12:30.00"},
        {F::hhmmss, 36'000'000, "00:00.00"},       // 100 hours, modulo 100
        {F::mmmss, 6'006'000, "001:00"},          // 1001 minutes, modulo 1000
        {F::hhmmss, -1, "-"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(IntMSToString(c.format, c.value), QLatin1String(c.expected)) << timeFormatInfo(c.format).name;
}

TEST(TimeFormats, ReadTextsByFixedPositions)
{
    const struct { F format; const char *text; qint64 expected; } cases[] = {
        {F::hhmmss, "12:30.45", 4'504'500},
        {F::hhmmssk, "12:30.45,7", 4'504'570},
        {F::hhmmsskt, "12:30.45,07", 4'504'507},
        {F::hmmss, "2:30.45", 904'500},
        {F::hmmssk, "2:30.45,7", 904'570},
        {F::hmmsskt, "2:30.45,77", 904'577},
        {F::mmmss, "750.45", 4'504'500},
        {F::mmmssk, "750.45,1", 4'504'510},
        {F::mmmsskt, "750.45,12", 4'504'512},
        {F::hhhmmss, "112:30.45", 40'504'500},
        {F::mss, "5:30", 0},
        {F::xhmmss, "12:30.00", 0},
        {F::hhmmss, "", 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(StrToTimeMS(c.format, QLatin1String(c.text)), c.expected) << timeFormatInfo(c.format).name << " " << c.text;
}

TEST(TimeFormats, InitialTextsReadAsZeroAndFitTheirLength)
{
    for (int i = 0; i < TimeFormatCount; ++i) {
        const TimeFormatInfo &info = timeFormatInfo(static_cast<F>(i));
        EXPECT_EQ(StrToTimeMS(static_cast<F>(i), QLatin1String(info.initial)), 0) << info.name;
        EXPECT_EQ(static_cast<int>(qstrlen(info.mask)), info.length) << info.name;
    }
}
