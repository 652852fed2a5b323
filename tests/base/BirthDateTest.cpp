#include "base/BirthDate.h"

#include <gtest/gtest.h>
#include <cstring>

TEST(BirthDate, DaysFrom1900ToTodayWithTwoDigitYearsNeverAhead)
{
    const QDate today = QDate::currentDate();
    const QDate tomorrow = today.addDays(1);
    const struct { QString text; QDate date; const char *refusal; } cases[] = {
        {QStringLiteral("19.01.1996"), QDate(1996, 1, 19), ""},
        {QStringLiteral("1900-01-01"), QDate(1900, 1, 1), ""},
        {today.toString(Qt::ISODate), today, ""},
        {today.toString(QStringLiteral("d.M.yy")), today, ""},
        {tomorrow.toString(QStringLiteral("d.M.yy")), tomorrow.addYears(-100), ""},
        {QStringLiteral("1899-12-31"), QDate(), "is before 1900-01-01"},
        {tomorrow.toString(Qt::ISODate), QDate(), "is after today"},
        {QStringLiteral("29.02.1999"), QDate(), "is not a date: no such day"},
        {QStringLiteral("31.04.2000"), QDate(), "is not a date: no such day"},
        {QStringLiteral("yesterday"), QDate(), "is not a date of the form"},
    };
    for (const auto &c : cases) {
        const BirthDateReading read = readBirthDate(c.text, today);
        EXPECT_EQ(read.date, c.date) << c.text.toStdString();
        EXPECT_EQ(read.refusal.left(static_cast<qsizetype>(std::strlen(c.refusal))), QLatin1String(c.refusal)) << c.text.toStdString();
        EXPECT_EQ(read.refusal.isEmpty(), c.date.isValid()) << c.text.toStdString();
    }
}
