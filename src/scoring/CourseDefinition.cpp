#include "scoring/CourseDefinition.h"

#include "db/Connection.h"

CourseDefinition CourseDefinition::load(db::Connection &connection, const ClassTree &classTree)
{
    CourseDefinition course;
    QSqlQuery controls = connection.exec(QStringLiteral(
        "SELECT unitnumber, controlnr, points, pos_x, pos_y, text FROM control ORDER BY controlnr, id"));
    while (controls.next()) {
        TControlPoint control;
        control.unitNumber = controls.value(0).toLongLong();
        control.code = controls.value(1).toString();
        control.points = controls.value(2).toLongLong();
        // Half a position is no position.
        if (!controls.value(3).isNull() && !controls.value(4).isNull()) {
            control.x = controls.value(3).toLongLong();
            control.y = controls.value(4).toLongLong();
        }
        const QString text = controls.value(5).toString();
        control.label = text.isEmpty() ? control.code : text;
        if (!course.m_controlByCode.contains(control.code))
            course.m_controlByCode.insert(control.code, static_cast<int>(course.m_controls.size()));
        course.m_controls.push_back(control);
    }

    course.m_rules = ExtraPointRules::load(connection);

    course.m_classes = LoadClassTable(classTree);
    return course;
}

const TControlPoint *CourseDefinition::findControl(const QString &code) const
{
    const auto found = m_controlByCode.constFind(code);
    return found == m_controlByCode.cend() ? nullptr : &m_controls[static_cast<size_t>(*found)];
}

qint64 CourseDefinition::FindControl(const QString &code, qint64 &x, qint64 &y, QString &label) const
{
    const TControlPoint *control = findControl(code);
    if (!control)
        return 0;
    x = control->x;
    y = control->y;
    label = control->label;
    return control->points;
}

qint64 CourseDefinition::controlPoints(const QString &code) const
{
    const TControlPoint *control = findControl(code);
    return control ? control->points : 0;
}

QStringList ControlCodeList(db::Connection &connection)
{
    QStringList codes;
    QSqlQuery controls = connection.exec(QStringLiteral("SELECT controlnr, type FROM control ORDER BY controlnr, id"));
    while (controls.next()) {
        const QString type = controls.value(1).toString();
        const bool byType = type == QLatin1String("I") || type == QLatin1String("O") || type == QLatin1String("F") || type == QLatin1String("W");
        codes.append(byType ? type : controls.value(0).toString());
    }
    return codes;
}
