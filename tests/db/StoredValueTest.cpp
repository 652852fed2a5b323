#include "db/StoredValue.h"
#include "store/DateTime.h"
#include "QDateTimeOf.h"

#include <gtest/gtest.h>

TEST(StoredValue, DateTimeFormsReadAlikeEverywhere)
{
    // The grids, the spreadsheet export and the store read a stored
    // date-time through this one reading: a form one takes, all take.
    const std::optional<QDateTime> none;
    const struct { const char *text; std::optional<QDateTime> read; } cases[] = {
        {"2026-06-13 10:15:30", QDateTime(QDate(2026, 6, 13), QTime(10, 15, 30))},
        {"2026-06-13 10:15:30.250", QDateTime(QDate(2026, 6, 13), QTime(10, 15, 30, 250))},
        {"2026-06-13 10:15:30.5", QDateTime(QDate(2026, 6, 13), QTime(10, 15, 30, 500))},
        {"2026-06-13 10:15", QDateTime(QDate(2026, 6, 13), QTime(10, 15))},
        {"2026-06-13", QDateTime(QDate(2026, 6, 13), QTime(0, 0))},
        {"  2026-06-13 10:15:30 ", QDateTime(QDate(2026, 6, 13), QTime(10, 15, 30))},
        {"", none},
        {"2026-02-30 10:00:00", none},
        {"2026-06-13 24:00:00", none},
        {"2026-06-13 10:60", none},
        {"2026-06-13T10:15:30", none},
        {"2026-06-13 10", none},
        {"2026-06-13 10:15:30.1234", none},
        {"13.06.2026 10:15", none},
        {"2026-06-13 10:15:30x", none},
    };
    for (const auto &c : cases) {
        const QString text = QString::fromLatin1(c.text);
        EXPECT_EQ(db::ReadStoredDateTime(text), c.read) << c.text;
        const SerialDateTime stored = DateTime::fromStored(text);
        if (c.read)
            EXPECT_EQ(qDateTimeOf(stored), *c.read) << c.text;
        else
            EXPECT_EQ(stored, 0) << c.text;
    }
}

TEST(StoredValue, WrittenFormsReadBackAndEmptyTextIsNull)
{
    for (const QDateTime &value : {QDateTime(QDate(2026, 6, 13), QTime(10, 15, 30)), QDateTime(QDate(1999, 12, 31), QTime(23, 59, 59, 7))})
        EXPECT_EQ(db::ReadStoredDateTime(db::StoredDateTimeText(value)), value);
    EXPECT_EQ(db::StoredDateTimeText(QDateTime(QDate(2026, 6, 13), QTime(10, 15, 30, 7))), QStringLiteral("2026-06-13 10:15:30.007"));
    EXPECT_TRUE(db::StoredText(QString()).isNull());
    EXPECT_EQ(db::StoredText(QString()).typeId(), QMetaType::QString);
    EXPECT_EQ(db::StoredText(QStringLiteral("Ö")), QVariant(QStringLiteral("Ö")));
}
