#pragma once

// An event folder with a database, settings and classes, and helpers to add
// controls, teams and punches in a line each.

#include "EventDatabaseFixture.h"
#include "EventRows.h"

#include "scoring/TeamCalculation.h"
#include "store/EventSetup.h"
#include "base/MessageSink.h"
#include "store/uData.h"

#include <gtest/gtest.h>

struct RecordingSink : MessageSink
{
    QStringList errors;
    QStringList warnings;
    void error(const QString &message) override { errors.append(message); }
    void warning(const QString &message) override { warnings.append(message); }
};

struct ScoringFixture : EventDatabaseFixture
{
    EventSetup setup;
    RecordingSink messages;

    void SetUp() override
    {
        EventDatabaseFixture::SetUp();
        setup.settings.eventDate = QDateTime(QDate(2026, 6, 13), QTime(0, 0));
        setup.classTree = {{QStringLiteral("H6<*>(10:00:00|006:00:00|00:30:00)"), 0}};
    }

    static SerialDateTime at(const QString &time)
    {
        return DateTime::fromDateAndTime(QDate(2026, 6, 13), QTime::fromString(time, QStringLiteral("HH:mm:ss")));
    }

    void control(const QString &code, qint64 points, const QString &type = QStringLiteral("C"))
    {
        insertRow(*data, QStringLiteral("control"), {{"controlnr", code}, {"points", points}, {"type", type}});
    }
    // The worked example's event: a card per runner, a 60 s punch window,
    // -10 points per started minute late, controls 31, 45 and 52 and the
    // finish, 10 extra points for 31 then 45.
    void workedExampleEvent()
    {
        setup.settings.controlCard = EventSettings::CardPerRunner;
        setup.settings.punchWindowSeconds = 60;
        setup.settings.penaltyPoints = -10;
        setup.settings.penaltySpanSeconds = 60;
        control("31", 30);
        control("45", 40);
        control("52", 50);
        control("F", 0, "F");
        rule(31, 45, 10);
    }

    void rule(int from, int to, int points)
    {
        insertRow(*data, QStringLiteral("extrapoint"), {{"from", from}, {"to", to}, {"points", points}});
    }
    qint64 team(qint64 number, const QString &className = QStringLiteral("H6"), const QString &name = QString())
    {
        return insertRow(*data, QStringLiteral("team"), {{"number", number}, {"class", className},
                                                        {"name", name.isEmpty() ? QStringLiteral("Team %1").arg(number) : name}});
    }
    qint64 runner(qint64 teamId, bool started = true)
    {
        return insertRow(*data, QStringLiteral("runner"), {{"team_id", teamId}, {"started", started}});
    }
    void punch(qint64 teamId, qint64 runnerId, const QString &code, const QString &time, int status = 8)
    {
        insertRow(*data, QStringLiteral("res_cp"), {{"team_id", teamId}, {"runner_id", runnerId}, {"KP", code}, {"ctime", at(time)}, {"status", status}});
    }
    // Team "Busy Bees", whose 26 punches at control 31 are more than a team list holds: its id and first runner.
    std::pair<qint64, qint64> teamWithTooManyPunches(qint64 number)
    {
        const qint64 id = team(number, QStringLiteral("H6"), QStringLiteral("Busy Bees"));
        const qint64 a = runner(id), b = runner(id);
        for (int i = 0; i < 26; ++i)
            punch(id, i % 2 ? a : b, "31", QTime(10, 0).addSecs(i * 30).toString(QStringLiteral("HH:mm:ss")));
        return {id, a};
    }

    TeamCalculation calculation()
    {
        TeamCalculation calculation(*data, std::make_shared<const EventSetup>(setup), messages);
        calculation.LoadCourseDefinition();
        return calculation;
    }
    bool calculate(qint64 number)
    {
        tResArray list;
        return calculation().CalculateTeam(number, true, list);
    }
    Row teamRow(qint64 id) { return *findRow(*data, QStringLiteral("team"), id); }
};
