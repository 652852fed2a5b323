#include "store/DateTime.h"
#include "QDateTimeOf.h"

#include <gtest/gtest.h>

TEST(DateTime, DaysSinceOriginWithTimeAsFraction)
{
    EXPECT_EQ(DateTime::fromDateAndTime(QDate(1899, 12, 30), QTime(0, 0)), 0.0);
    EXPECT_EQ(DateTime::fromDateAndTime(QDate(1900, 1, 1), QTime(12, 0)), 2.5);
    EXPECT_EQ(DateTime::fromDateAndTime(QDate(2026, 12, 9), QTime(6, 0)), 46'365.25);
}

TEST(DateTime, StoredFormRoundTrips)
{
    const struct { QDate date; QTime time; const char *stored; } cases[] = {
        {QDate(2026, 6, 1), QTime(10, 0, 0), "2026-06-01 10:00:00"},
        {QDate(2026, 6, 1), QTime(16, 5, 10, 500), "2026-06-01 16:05:10.500"},
        {QDate(2026, 6, 1), QTime(23, 59, 59, 990), "2026-06-01 23:59:59.990"},
        {QDate(2026, 6, 2), QTime(0, 0, 0), "2026-06-02 00:00:00"},
    };
    for (const auto &c : cases) {
        const SerialDateTime value = DateTime::fromDateAndTime(c.date, c.time);
        EXPECT_EQ(DateTime::toStored(value).toString(), QLatin1String(c.stored));
        EXPECT_EQ(qDateTimeOf(DateTime::fromStored(QString::fromLatin1(c.stored))), QDateTime(c.date, c.time)) << c.stored;
    }
}

TEST(DateTime, UnsetAndUnreadableAreZero)
{
    EXPECT_TRUE(DateTime::toStored(0).isNull());
    EXPECT_EQ(DateTime::fromStored(QVariant()), 0.0);
    EXPECT_EQ(DateTime::fromStored(QString()), 0.0);
    EXPECT_EQ(DateTime::fromStored(QStringLiteral("not a date")), 0.0);
    EXPECT_EQ(DateTime::fromStored(QStringLiteral("2026-06-01 25:00:00")), 0.0);
    EXPECT_EQ(DateTime::fromStored(QStringLiteral("2026-06-01")), DateTime::fromDateAndTime(QDate(2026, 6, 1), QTime(0, 0)));
    EXPECT_EQ(DateTime::timePart(DateTime::fromStored(QStringLiteral("2026-06-01 10:00:00.5"))), QTime(10, 0, 0, 500));
}
