#include "store/FieldDisplay.h"
#include "store/TimeHelpers.h"

#include <gtest/gtest.h>

TEST(FieldDisplay, StatusResultAndTimesShowTheirTexts)
{
    const struct { const char *table; const char *field; QVariant value; const char *expected; } cases[] = {
        {"team", "status", 9, "NA"},
        {"team", "status", 1, "OK"},
        {"team", "status", QVariant(), "NA"},
        {"team", "result", 0, "0"},
        {"team", "result", QVariant(), "0"},
        {"team", "result", 87, "87"},
        {"team", "result", -1, "OK"},
        {"team", "result", -2, "LATE"},
        {"team", "result", -5, "DSQ"},
        {"team", "result", -12, "NA"},
        {"team", "rtime", QVariant(), "0:00:00"},
        {"team", "rtime", 21'910, "6:05:10"},
        {"team", "rtime", -1, ""},
        {"team", "inCenter", 600, "0:10:00"},
        {"team", "inCenter", -30, ""},
        {"team", "name", "Foxes", "Foxes"},
        {"res_cp", "status", 8, "ReadOK"},
        {"res_cp", "status", 3, "OverInt."},
        {"res_cp", "status", 6, ""},
        {"res_cp", "status", 42, ""},
        {"res_cp", "status", QVariant(), ""},
        {"control", "points", 30, "30"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(FieldDisplayText(QLatin1String(c.table), QLatin1String(c.field), c.value), QLatin1String(c.expected))
            << c.table << "." << c.field << " = " << c.value.toString().toStdString();
}

TEST(FieldDisplay, DatesInTheShortDateFormatAndDateTimesWithTheLongTime)
{
    const SerialDateTime birthday = DateTime::fromDateAndTime(QDate(1980, 5, 7), QTime(0, 0));
    const SerialDateTime start = DateTime::fromDateAndTime(QDate(2026, 6, 13), QTime(10, 25, 0, 500));
    const struct { const char *table; const char *field; QVariant value; QString expected; } cases[] = {
        {"runner", "birthdate", QStringLiteral("1980-05-07"), DateText(birthday)},
        {"team", "start", QStringLiteral("2026-06-13 10:25:00.500"), DateTimeText(true, start)},
        {"TEAM", "Entrydate", QStringLiteral("2026-06-13 10:25:00.500"), DateTimeText(true, start)},
        {"res_cp", "time", QStringLiteral("2026-06-13 10:25:00.500"), DateTimeText(true, start)},
        {"team", "finis", QVariant(), QString()},
        // Text that is no stored date shows as it is.
        {"team", "finis", QStringLiteral("soon"), QStringLiteral("soon")},
    };
    for (const auto &c : cases)
        EXPECT_EQ(FieldDisplayText(QLatin1String(c.table), QLatin1String(c.field), c.value), c.expected)
            << c.table << "." << c.field << " = " << c.value.toString().toStdString();
    EXPECT_NE(DateTimeText(true, start), QStringLiteral("2026-06-13 10:25:00.500"));
}

TEST(FieldDisplay, LabelsOrFieldNames)
{
    EXPECT_EQ(FieldDisplayLabel(QStringLiteral("team"), QStringLiteral("inCenter")), QStringLiteral("Time in C"));
    EXPECT_EQ(FieldDisplayLabel(QStringLiteral("team"), QStringLiteral("chip")), QStringLiteral("chip"));
    EXPECT_EQ(FieldDisplayLabel(QStringLiteral("extrapoint"), QStringLiteral("to")), QStringLiteral("TO"));
    EXPECT_EQ(FieldDisplayLabel(QStringLiteral("res_cp"), QStringLiteral("ctime")), QStringLiteral("Time"));
}
