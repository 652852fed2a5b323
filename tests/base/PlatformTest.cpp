#include "base/Platform.h"

#include "TimeZoneScope.h"

#include <QLocale>
#include <QTimeZone>
#include <gtest/gtest.h>
#include <algorithm>
#include <linux/ioprio.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

TEST(Platform, UtcOffsetIsTheOneInForceAtThatTime)
{
    const struct { const char *zone; QDate date; int offset; } cases[] = {
        {"UTC", {2026, 7, 1}, 0},
        {"Europe/Tallinn", {2026, 1, 15}, 7200},
        {"Europe/Tallinn", {2026, 7, 1}, 10800},       // summer time
        {"America/St_Johns", {2026, 1, 15}, -12600},
        {"America/St_Johns", {2026, 7, 1}, -9000},
        {"Australia/Sydney", {2026, 1, 15}, 39600},    // summer in the south
        {"Australia/Sydney", {2026, 7, 1}, 36000},
        {"Asia/Kathmandu", {2026, 7, 1}, 20700},
    };
    for (const auto &c : cases) {
        if (!QTimeZone(c.zone).isValid())
            continue;
        TimeZoneScope scope(c.zone);
        EXPECT_EQ(Platform::utcOffsetSecondsAt(QDateTime(c.date, QTime(12, 0))), c.offset) << c.zone << " " << c.date.toString().toStdString();
    }
}

TEST(PlatformReadDate, ShortDateFormatAndIsoDates)
{
    // The computer's own format, whichever it is.
    const QDate date(1980, 5, 7);
    EXPECT_EQ(Platform::readDate(QLocale::system().toString(date, Platform::shortDateFormat())), date);
    EXPECT_EQ(Platform::readDate(QStringLiteral("1980-05-07")), date);
    EXPECT_EQ(Platform::readDate(QStringLiteral("1980-5-7")), date);
    for (const char *text : {"1980-02-30", "00.00.0000", "yesterday", "", "1980-05-07x"})
        EXPECT_EQ(Platform::readDate(QString::fromLatin1(text)), std::nullopt) << text;
}

TEST(PlatformReadDate, NumericFormatsTakeShortPartsAndTwoDigitYearsAreNeverInTheFuture)
{
    const int thisYear = QDate::currentDate().year();
    const int lastTwo = thisYear % 100;
    const struct { const char *format; QString text; QDate expected; } cases[] = {
        {"dd.MM.yyyy", QStringLiteral("07.05.1980"), QDate(1980, 5, 7)},
        {"dd.MM.yyyy", QStringLiteral("7.5.1980"), QDate(1980, 5, 7)},
        {"dd.MM.yyyy", QStringLiteral("7/5/1980"), QDate()},
        {"dd.MM.yyyy", QStringLiteral("31.02.1980"), QDate()},
        {"M/d/yy", QStringLiteral("5/7/80"), QDate(1980, 5, 7)},
        {"M/d/yy", QStringLiteral("5/7/1980"), QDate(1980, 5, 7)},
        {"M/d/yy", QStringLiteral("1/1/%1").arg(lastTwo, 2, 10, QLatin1Char('0')), QDate(thisYear, 1, 1)},
        {"M/d/yy", QStringLiteral("1/2/%1").arg((lastTwo + 1) % 100, 2, 10, QLatin1Char('0')), QDate(thisYear - 99, 1, 2)},
        {"yyyy-MM-dd", QStringLiteral("1980-05-07"), QDate(1980, 5, 7)},
        {"d MMM yyyy", QLocale::system().toString(QDate(1980, 5, 7), QStringLiteral("d MMM yyyy")), QDate(1980, 5, 7)},
    };
    for (const auto &c : cases) {
        const std::optional<QDate> read = Platform::readDate(c.text, QLatin1String(c.format), Platform::TwoDigitYear::NeverAhead);
        EXPECT_EQ(read.value_or(QDate()), c.expected) << c.format << " " << c.text.toStdString();
    }
}

TEST(PlatformReadDate, DayMonthYearAndIsoDatesUnderEveryLocale)
{
    const QLocale regional;
    const QDate born(1996, 1, 19);
    // Tomorrow with a two-digit year: a century back, never a day to come.
    const QDate tomorrow = QDate::currentDate().addDays(1);
    for (const QLocale &locale : {QLocale::c(), QLocale(QLocale::English, QLocale::UnitedStates), QLocale(QLocale::Estonian, QLocale::Estonia)}) {
        QLocale::setDefault(locale);
        const QString format = locale.dateFormat(QLocale::ShortFormat);
        const struct { QString text; QDate expected; } cases[] = {
            {QStringLiteral("19.01.1996"), born},
            {QStringLiteral(" 19.1.1996 "), born},
            {QStringLiteral("19.01.96"), born},
            {QStringLiteral("1996-01-19"), born},
            {QLocale::system().toString(born, format), born},
            {tomorrow.toString(QStringLiteral("d.M.yy")), tomorrow.addYears(-100)},
            {QStringLiteral("31.02.1996"), QDate()},
            {QStringLiteral("19.13.1996"), QDate()},
            {QStringLiteral("19.01.1996x"), QDate()},
            {QStringLiteral("19.01"), QDate()},
            {QStringLiteral("00.00.0000"), QDate()},
        };
        for (const auto &c : cases)
            EXPECT_EQ(Platform::readDate(c.text, format, Platform::TwoDigitYear::NeverAhead).value_or(QDate()), c.expected)
                << locale.name().toStdString() << " " << format.toStdString() << " " << c.text.toStdString();
    }
    QLocale::setDefault(regional);
}

TEST(PlatformReadDate, OnlyTheBirthDateRuleMovesATwoDigitYearBack)
{
    const QDate tomorrow = QDate::currentDate().addDays(1);
    const QString text = tomorrow.toString(QStringLiteral("d.M.yy"));
    const QString format = QStringLiteral("d.M.yy");
    EXPECT_EQ(Platform::readDate(text, format), tomorrow);
    EXPECT_EQ(Platform::readDate(text, format, Platform::TwoDigitYear::NeverAhead), tomorrow.addYears(-100));
    // A day no calendar has is told apart from a text that is no date.
    const struct { const char *text; bool noSuchDay; } cases[] = {
        {"29.02.1999", true}, {"31.04.2000", true}, {"2001-02-29", true}, {"29.02.2000", false}, {"noon", false}, {"19.13", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Platform::readDateText(QLatin1String(c.text), Platform::TwoDigitYear::ThisCentury, format).noSuchDay, c.noSuchDay) << c.text;
}

TEST(PlatformReadDateTime, ADateABlankAndATime)
{
    const int lastTwo = QDate::currentDate().year() % 100;
    const QDateTime expected(QDate(2024, 5, 7), QTime(13, 4, 5));
    const struct { const char *dateFormat; const char *timeFormat; QString text; QDateTime expected; } cases[] = {
        // The computer's own forms, whichever they are.
        {nullptr, nullptr, QLocale::system().toString(expected, Platform::shortDateFormat() + u' ' + Platform::longTimeFormat()), expected},
        {"dd.MM.yy", "HH:mm:ss", QStringLiteral("07.05.24 13:04:05"), expected},
        {"dd.MM.yy", "HH:mm:ss", QStringLiteral(" 7.5.2024   13:04 "), QDateTime(QDate(2024, 5, 7), QTime(13, 4))},
        {"M/d/yy", "h:mm:ss AP", QLocale::system().toString(expected, QStringLiteral("M/d/yy h:mm:ss AP")), expected},
        {"M/d/yy", "h:mm:ss AP", QStringLiteral("5/7/24 9:04:05"), QDateTime(QDate(2024, 5, 7), QTime(9, 4, 5))},
        {"d MMM yyyy", "HH:mm:ss", QLocale::system().toString(expected, QStringLiteral("d MMM yyyy HH:mm:ss")), expected},
        {"dd.MM.yyyy", "HH:mm:ss", QStringLiteral("2024-05-07 13:04:05"), expected},
        // A punch or start time with a two-digit year is in this century, even a day to come.
        {"dd.MM.yy", "HH:mm:ss", QStringLiteral("01.01.%1 00:00:00").arg((lastTwo + 1) % 100, 2, 10, QLatin1Char('0')),
         QDateTime(QDate(QDate::currentDate().year() / 100 * 100 + (lastTwo + 1) % 100, 1, 1), QTime(0, 0))},
        {"M/d/yy", "h:mm:ss AP", QStringLiteral("12/31/%1 10:20:39 AM").arg(lastTwo, 2, 10, QLatin1Char('0')),
         QDateTime(QDate(QDate::currentDate().year(), 12, 31), QTime(10, 20, 39))},
        {"dd.MM.yy", "HH:mm:ss", QStringLiteral("07.05.24"), QDateTime()},
        {"dd.MM.yy", "HH:mm:ss", QStringLiteral("07.05.24 25:00:00"), QDateTime()},
        {"dd.MM.yy", "HH:mm:ss", QStringLiteral("31.02.24 10:00:00"), QDateTime()},
        {"dd.MM.yy", "HH:mm:ss", QStringLiteral("noon"), QDateTime()},
        {"d MMM yyyy", "HH:mm:ss", QStringLiteral("7 2024 13:04:05"), QDateTime()},
    };
    for (const auto &c : cases) {
        const std::optional<QDateTime> read = c.dateFormat ? Platform::readDateTime(c.text, QLatin1String(c.dateFormat), QLatin1String(c.timeFormat))
                                                           : Platform::readDateTime(c.text);
        EXPECT_EQ(read.value_or(QDateTime()), c.expected) << c.text.toStdString();
    }
}

TEST(Platform, ALoweredThreadGivesWayAloneAndNeverRisesAgain)
{
    // Readout workers of the same process must keep their priority; threads
    // the lowered one starts (a report's picture encoders) give way as it does.
    struct Priority
    {
        int nice, policy, ioClass;
        bool operator==(const Priority &) const = default;
    };
    const auto priorityOf = [](pid_t thread) {
        const long io = ::syscall(SYS_ioprio_get, IOPRIO_WHO_PROCESS, static_cast<int>(thread));
        return Priority{::getpriority(PRIO_PROCESS, static_cast<id_t>(thread)), ::sched_getscheduler(thread),
                        io < 0 ? -1 : static_cast<int>(IOPRIO_PRIO_CLASS(io))};
    };
    const Priority before = priorityOf(::gettid());
    Priority lowered{}, again{}, started{};
    std::thread worker([&] {
        Platform::lowerThreadPriority();
        lowered = priorityOf(::gettid());
        Platform::lowerThreadPriority();
        again = priorityOf(::gettid());
        std::thread child([&] { started = priorityOf(::gettid()); });
        child.join();
    });
    worker.join();
    EXPECT_GE(lowered.nice, std::max(before.nice, 10));
    EXPECT_EQ(lowered.policy, SCHED_IDLE);
    EXPECT_EQ(lowered.ioClass, IOPRIO_CLASS_IDLE);
    EXPECT_EQ(again, lowered);
    EXPECT_EQ(started, lowered);
    EXPECT_EQ(priorityOf(::gettid()), before);
    std::thread other([&] { again = priorityOf(::gettid()); });
    other.join();
    EXPECT_EQ(again, before);
}
