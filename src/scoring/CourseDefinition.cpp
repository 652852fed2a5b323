#include "scoring/CourseDefinition.h"

#include "db/Connection.h"

#include <limits>
#include <utility>

CourseDefinition::CourseDefinition(std::vector<TControlPoint> controls, ExtraPointRules rules, ClassTable classes, MapPoint start,
                                   MapPoint finish)
    : m_controls(std::move(controls))
    , m_rules(std::move(rules))
    , m_classes(std::move(classes))
    , m_start(start)
    , m_finish(finish)
{
    for (size_t i = 0; i < m_controls.size(); ++i) {
        const TControlPoint &control = m_controls[i];
        const int index = static_cast<int>(i);
        if (!m_controlByCode.contains(control.code))
            m_controlByCode.insert(control.code, index);
        const auto unit = m_controlByUnit.constFind(control.unitNumber);
        if (unit == m_controlByUnit.cend() || control.id < m_controls[static_cast<size_t>(*unit)].id)
            m_controlByUnit.insert(control.unitNumber, index);
    }
}

CourseDefinition CourseDefinition::load(db::Connection &connection, const ClassTree &classTree)
{
    std::vector<TControlPoint> controls;
    // Of several start (finish) controls the last in unit-number order stands.
    std::pair<qint64, qint64> startKey{std::numeric_limits<qint64>::min(), 0}, finishKey = startKey;
    MapPoint start, finish;
    QSqlQuery rows = connection.exec(QStringLiteral(
        "SELECT id, unitnumber, controlnr, points, pos_x, pos_y, text, type FROM control ORDER BY controlnr, id"));
    while (rows.next()) {
        TControlPoint control;
        control.id = rows.value(0).toLongLong();
        control.unitNumber = rows.value(1).toLongLong();
        control.code = rows.value(2).toString();
        control.points = rows.value(3).toLongLong();
        // Half a position is no position.
        if (!rows.value(4).isNull() && !rows.value(5).isNull()) {
            control.x = rows.value(4).toLongLong();
            control.y = rows.value(5).toLongLong();
        }
        const QString text = rows.value(6).toString();
        control.label = text.isEmpty() ? control.code : text;
        const QString type = rows.value(7).toString();
        control.punchCode = PunchCode(control.code, type);
        const std::pair<qint64, qint64> key{control.unitNumber, control.id};
        if (type == QLatin1String("S") && key > startKey) {
            startKey = key;
            start = {control.x, control.y};
        } else if (type == QLatin1String("F") && key > finishKey) {
            finishKey = key;
            finish = {control.x, control.y};
        }
        controls.push_back(control);
    }
    return CourseDefinition(std::move(controls), ExtraPointRules::load(connection), LoadClassTable(classTree), start, finish);
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

const TControlPoint *CourseDefinition::findControlByUnit(qint64 unitNumber) const
{
    const auto found = m_controlByUnit.constFind(unitNumber);
    return found == m_controlByUnit.cend() ? nullptr : &m_controls[static_cast<size_t>(*found)];
}

QString PunchCode(const QString &code, const QString &type)
{
    const bool byType = type == QLatin1String("I") || type == QLatin1String("O") || type == QLatin1String("F") || type == QLatin1String("W");
    return byType ? type : code;
}

QStringList ControlCodeList(db::Connection &connection)
{
    QStringList codes;
    QSqlQuery controls = connection.exec(QStringLiteral("SELECT controlnr, type FROM control ORDER BY controlnr, id"));
    while (controls.next())
        codes.append(PunchCode(controls.value(0).toString(), controls.value(1).toString()));
    return codes;
}
