#pragma once

// The course in memory: controls in code order, extra-point rules in order
// of their first control, and the class table. A cache of the tables at the
// moment of loading; callers reload before they calculate.

#include "scoring/ExtraPointRules.h"

#include "store/ClassTable.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

namespace db { class Connection; }

struct TControlPoint
{
    qint64 unitNumber = 0;
    QString code;
    qint64 x = -1; // map units; -1, -1 when the control has no position
    qint64 y = -1;
    qint64 points = 0;
    QString label; // the control's text, or its code when it has none
};

class CourseDefinition
{
public:
    // LoadCourseDefinition: controls, extra-point rules and the class table.
    static CourseDefinition load(db::Connection &connection, const ClassTree &classTree);

    const std::vector<TControlPoint> &controls() const { return m_controls; }
    const std::vector<TExtraPointList> &extraPointRules() const { return m_rules.rules(); }
    const ClassTable &classes() const { return m_classes; }

    // The first control with exactly this code, or nullptr.
    const TControlPoint *findControl(const QString &code) const;
    // Points of the control (0 for an unknown code); sets x, y and label only when found.
    qint64 FindControl(const QString &code, qint64 &x, qint64 &y, QString &label) const;
    qint64 controlPoints(const QString &code) const;
    const ExtraPointRules &extraPoints() const { return m_rules; }

private:
    std::vector<TControlPoint> m_controls;
    ExtraPointRules m_rules;
    ClassTable m_classes;
    // First-wins index over the controls.
    QHash<QString, int> m_controlByCode;
};

// The codes a hand-entered punch may carry, in code order: the type letter
// for check-in, check-out, finish and W controls, the control code otherwise.
QStringList ControlCodeList(db::Connection &connection);
