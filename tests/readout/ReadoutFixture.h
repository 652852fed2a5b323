#pragma once

// The event of the readout examples: class A from 12:00:00 for 3 hours with
// 30 minutes of penalty time, -1 point a minute, controls 31 (3 points) and
// 45 (4 points), team 12 "Team 12" with runner Ann Lee on chip 8001234.

#include "EventDatabaseFixture.h"
#include "EventRows.h"

#include "store/EventSetup.h"
#include "store/uData.h"

#include <QSqlQuery>
#include <gtest/gtest.h>

struct ReadoutFixture : EventDatabaseFixture
{
    SharedEventSetup shared;
    EventSetup setup;
    qint64 teamId = 0;
    qint64 runnerId = 0;

    void SetUp() override
    {
        EventDatabaseFixture::SetUp();
        setup.settings.eventDate = QDateTime(QDate(2026, 6, 13), QTime(0, 0));
        setup.settings.penaltyPoints = -1;
        setup.settings.penaltySpanSeconds = 60;
        setup.settings.eventName = QStringLiteral("Summer Rogaine");
        setup.settings.eventArea = QStringLiteral("Lake Forest");
        setup.settings.firstStart = std::chrono::hours(12);
        setup.classTree = {{QStringLiteral("A<*>(12:00:00|003:00:00|00:30:00)"), 0}, {QStringLiteral("B<*>(xx|003:00:00|00:30:00)"), 0}};
        shared.publish(setup);
        for (const auto &[code, unit, points, type, x, y] : std::vector<std::tuple<const char *, int, int, const char *, int, int>>{
                 {"31", 31, 3, "C", 1000, 0}, {"45", 45, 4, "C", 1000, 1000}, {"S", 1, 0, "S", 0, 0}, {"F", 2, 0, "F", 0, 1000}})
            insertRow(*data, QStringLiteral("control"), {{"controlnr", code}, {"unitnumber", unit}, {"points", points}, {"type", type}, {"pos_x", x}, {"pos_y", y}});
        teamId = insertRow(*data, QStringLiteral("team"), {{"number", 12}, {"name", "Team 12"}, {"class", "A"}});
        runnerId = insertRow(*data, QStringLiteral("runner"), {{"team_id", teamId}, {"firstname", "Ann"}, {"lastname", "Lee"}, {"chipnr", "8001234"}, {"rentchip", false}});
    }

    void publish() { shared.publish(setup); }

    int punchRows(const QString &where = QString())
    {
        return data->connection().scalar(QStringLiteral("SELECT COUNT(*) FROM res_cp") + (where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where)).toInt();
    }
    // Stored punches as "KP status hh:mm:ss count", in insertion order.
    QStringList rows()
    {
        QStringList result;
        QSqlQuery query = data->connection().exec(QStringLiteral("SELECT KP, status, ctime, count FROM res_cp ORDER BY id"));
        while (query.next())
            result.append(QStringLiteral("%1 %2 %3 %4").arg(query.value(0).toString(), query.value(1).toString(),
                                                            query.value(2).toString().mid(11), query.value(3).toString()));
        return result;
    }
};

inline const QString exampleRecord = QStringLiteral("8001234;0;0;5430000;8;3;31;43800;45;45600;31;46200");
inline const QString exampleReply = QStringLiteral("S 8001234;4320000;5430000;1110000;1;12;Ann;Lee;A;Team 12;False;3;31;4380000;1;45;4560000;1;31;4620000;4;");
