#include "readout/ReadoutRecord.h"

#include "base/KorventError.h"

#include <gtest/gtest.h>

TEST(ReadoutRecord, FieldsOfARecord)
{
    const std::optional<ReadoutRecord> record = ParseReadoutRecord(QStringLiteral("8001234; 0 ;+0;5430000;8;3;31;43800;45; 45600;31;46200 ;99;x"));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->chip, QStringLiteral("8001234"));
    EXPECT_EQ(record->finish, 5'430'000);
    EXPECT_EQ(record->cardType, 8);
    ASSERT_EQ(record->punches.size(), 3u); // fields after the announced pairs are ignored
    EXPECT_EQ(record->punches[1].code, 45);
    EXPECT_EQ(record->punches[1].time, 4'560'000); // seconds to hundredths
    EXPECT_EQ(record->punches[2].time, 4'620'000);

    const std::optional<ReadoutRecord> none = ParseReadoutRecord(QStringLiteral("8001234;0;0;5430000;8;0"));
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
        "100001;0;0;-4000000;8;1;31;36100",             // negative times: finish,
        "100003;0;0;4000000;8;1;31;-5",                 // punch,
        "100001;-1;0;4000000;8;0",                      // start and spare
        "100001;0;-1;4000000;8;0",
        "100001;0;0;-100;8;0",                          // a negative finish that is no no-finish mark
        "100001;0;0;4000000;8;-1",                      // negative punch count
        "100001;0;0;4000000;-8;0",                      // negative card type
        "100001;0;0;4000000;8;1;-31;36100",             // negative code
        "-100001;0;0;4000000;8;0",                      // chip numbers that are not all digits
        "100001x;0;0;4000000;8;0",
        ";0;0;4000000;8;0",
        " 100001;0;0;4000000;8;0",
        "100001;0;0;4000000;x;0",                       // fields that are no number
        "100001;0;0;4000000;;0",
        "100001;0;0;4000000;8;1x",
        "100001;0;0;4000000;8;",
        "100001;0;0;40000x;8;0",
        "100001;0;0;;8;0",
        "100001;;0;4000000;8;0",
        "100001;0;0;4000000;8;1;31;3610o",
        "100001;0;0;4000000;8;1;;36100",
        "100001;0;0;4000000;8;1;31;- 5",
        "100001;0;0;4000000;8;1;31;+-5",
    };
    for (const char *text : refused)
        EXPECT_FALSE(ParseReadoutRecord(QLatin1String(text))) << text;
    for (const char *text : {"8001234;0;0;2147483647;8;1;31;21474836", "8001234;0;0;-1;8;0", "8001234;0;0; -99 ;0;1;0;0",
                             "8001234;0;0;77777500;8;0"})
        EXPECT_TRUE(ParseReadoutRecord(QLatin1String(text))) << text;
}

TEST(ReadoutRecord, MalformedRecordsRaise)
{
    EXPECT_THROW(ParseReadoutRecord(QStringLiteral("8001234;0;0;5430000;8;194")), KorventError);
    EXPECT_THROW(ParseReadoutRecord(QStringLiteral("8001234;0;0;5430000;8;0") + QString(600, u';') + u'x'), KorventError);
}
