#pragma once

// An event with a course, classes and calculated teams for the result pages.

#include "EventDatabaseFixture.h"
#include "EventRows.h"

#include "scoring/TeamCalculation.h"
#include "store/EventSetup.h"
#include "store/uData.h"

#include <gtest/gtest.h>

struct ResultsFixture : EventDatabaseFixture
{
    EventSetup setup;

    void SetUp() override
    {
        EventDatabaseFixture::SetUp();
        EventSettings &settings = setup.settings;
        settings.resultHeader = QStringLiteral("NON");
        settings.eventName = QStringLiteral("Night & Day");
        settings.eventDate = QDateTime(QDate(2026, 6, 13), QTime(0, 0));
        settings.sunset = std::chrono::hours(21);
        settings.sunrise = std::chrono::hours(4) + std::chrono::minutes(30);
        settings.mapScale = 10000; // a map unit is a metre
        settings.mapFileName.clear();
        setup.classTree = {{QStringLiteral("H12<*>(10:00:00|012:00:00|00:30:00)"), 0},
                           {QStringLiteral("H12J"), 1},
                           {QStringLiteral("H12J2"), 2},
                           {QStringLiteral("R6<*>(10:00:00|006:00:00|00:30:00)"), 0}};
    }

    static SerialDateTime at(const char *time)
    {
        return DateTime::fromDateAndTime(QDate(2026, 6, 13), QTime::fromString(QString::fromLatin1(time), QStringLiteral("HH:mm:ss")));
    }

    void control(const char *code, qint64 points, qint64 x, qint64 y, const char *type = "C", const char *text = "")
    {
        insertRow(*data, QStringLiteral("control"), {{"controlnr", code}, {"points", points}, {"type", type}, {"pos_x", x}, {"pos_y", y}, {"text", text}});
    }
    // The usual course: start, three controls 1 km apart on a line, the finish back at the start.
    void course()
    {
        control("S", 0, 0, 0, "S", "Start");
        control("31", 30, 1000, 0);
        control("32", 0, 2000, 0);
        control("33", 50, 3000, 0);
        control("F", 0, 0, 0, "F");
    }
    // A calculated team row, written as the calculation leaves it.
    qint64 team(qint64 number, const char *name, const char *className, qint64 result, qint64 rtime, const char *subclass = "",
                qint64 inCenter = 0)
    {
        return insertRow(*data, QStringLiteral("team"),
                               {{"number", number}, {"name", name}, {"class", className}, {"subclass", subclass}, {"club", "OK"},
                                {"country", "EST"}, {"result", result}, {"rtime", rtime}, {"points", result > 0 ? result : 0},
                                {"penalty", 0}, {"inCenter", inCenter}, {"start", at("10:00:00")}, {"calctime", at("18:00:00")},
                                {"status", result >= 0 ? 1 : -result}});
    }
    qint64 runner(qint64 teamId, const char *first, bool started = true)
    {
        return insertRow(*data, QStringLiteral("runner"), {{"team_id", teamId}, {"firstname", first}, {"lastname", "Tamm"}, {"sex", "W"},
                                                          {"birthdate", "1970-07-01"}, {"country", "EST"}, {"started", started}});
    }
    void punch(qint64 teamId, qint64 runnerId, const char *code, const char *time, int status = 8)
    {
        insertRow(*data, QStringLiteral("res_cp"), {{"team_id", teamId}, {"runner_id", runnerId}, {"KP", code}, {"ctime", at(time)}, {"status", status}});
    }
};
