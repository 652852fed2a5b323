#include "readout/ReadoutRecord.h"

#include "base/KorventError.h"

#include <gtest/gtest.h>

TEST(ReadoutRecord, FieldsOfARecord)
{
    const std::optional<ReadoutRecord> record = ParseReadoutRecord(QStringLiteral("8001234;0;0;5430000;8;3;31;43800;45; 45600;31;-46200;99;9"));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->chip, QStringLiteral("8001234"));
    EXPECT_EQ(record->finish, 5'430'000);
    EXPECT_EQ(record->cardType, 8);
    ASSERT_EQ(record->punches.size(), 3u); // fields after the announced pairs are ignored
    EXPECT_EQ(record->punches[1].code, 45);
    EXPECT_EQ(record->punches[1].time, 4'560'000); // seconds to hundredths
    EXPECT_EQ(record->punches[2].time, -4'620'000);

    const std::optional<ReadoutRecord> none = ParseReadoutRecord(QStringLiteral("8001234;0;0;5430000;8;-4"));
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->punches.empty());
}

TEST(ReadoutRecord, WrongParameters)
{
    const char *refused[] = {
        "8001234;0;0;5430000;8",                      // five fields
        "8001234;0;0;5430000;8;3;31;43800;45",         // fewer pairs than announced
        "8001234;0;0;5430000;8;1;31;99999999999999999", // punch times beyond 32-bit hundredths
        "8001234;0;0;5430000;8;1;31;-99999999999999999",
        "8001234;0;0;5430000;8;1;31;21474837",
        "8001234;0;0;5430000;8;1;31;-21474837",
        "8001234;0;0;99999999999999999;8;0",            // finishes beyond them
        "8001234;0;0;2147483648;8;0",
        "8001234;0;0;-2147483649;8;0",
    };
    for (const char *text : refused)
        EXPECT_FALSE(ParseReadoutRecord(QLatin1String(text))) << text;
    for (const char *text : {"8001234;0;0;2147483647;8;1;31;21474836", "8001234;0;0;-2147483648;8;1;31;-21474836"})
        EXPECT_TRUE(ParseReadoutRecord(QLatin1String(text))) << text;
}

TEST(ReadoutRecord, MalformedRecordsRaise)
{
    EXPECT_THROW(ParseReadoutRecord(QStringLiteral("8001234;0;0;5430000;8;194")), KorventError);
    EXPECT_THROW(ParseReadoutRecord(QStringLiteral("8001234;0;0;5430000;8;0") + QString(600, u';') + u'x'), KorventError);
}
