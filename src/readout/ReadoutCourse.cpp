#include "readout/ReadoutCourse.h"

#include "db/Connection.h"
#include "store/EventSetup.h"

ReadoutCourse ReadoutCourse::load(db::Connection &connection, const EventSetup &setup)
{
    ReadoutCourse course;
    course.eventDate = DateTime::fromDateAndTime(setup.settings.eventDate.date(), QTime(0, 0));
    course.penaltyPoints = setup.settings.penaltyPoints;
    course.penaltySeconds = setup.settings.penaltySpanSeconds;

    QSqlQuery controls = connection.exec(QStringLiteral("SELECT unitnumber, controlnr, points, pos_x, pos_y, type FROM control ORDER BY unitnumber, id"));
    while (controls.next()) {
        ReadoutControl control{controls.value(0).toLongLong(), controls.value(1).toString(), controls.value(3).toLongLong(),
                               controls.value(4).toLongLong(), controls.value(2).toLongLong()};
        const QString type = controls.value(5).toString();
        if (type == QLatin1String("S")) {
            course.startX = control.x;
            course.startY = control.y;
        } else if (type == QLatin1String("F")) {
            course.finishX = control.x;
            course.finishY = control.y;
        }
        if (type == QLatin1String("I") || type == QLatin1String("O") || type == QLatin1String("F") || type == QLatin1String("W"))
            control.kp = type;
        course.controls.push_back(control);
    }

    course.extraPoints = ExtraPointRules::load(connection);
    course.classes = LoadClassTable(setup.classTree);
    return course;
}

const ReadoutControl *ReadoutCourse::FindControlByCode(qint64 unitNumber) const
{
    for (const ReadoutControl &control : controls)
        if (control.unitNumber == unitNumber)
            return &control;
    return nullptr;
}
