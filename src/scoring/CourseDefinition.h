#pragma once

// The course in memory: controls in code order, extra-point rules in order
// of their first control, and the class table. A cache of the tables at the
// moment of loading; callers reload before they calculate. The calculation
// finds controls by the code a punch carries, the readout by the unit number
// a chip records. Held by a readout worker from one "si" to the next, so it
// never changes once made.

#include "scoring/ExtraPointRules.h"

#include "store/ClassTable.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

namespace db { class Connection; }

struct TControlPoint
{
    qint64 id = 0; // the control's row
    qint64 unitNumber = 0;
    QString code;
    QString punchCode; // what a punch at the control carries: see PunchCode
    qint64 x = -1; // map units; -1, -1 when the control has no position
    qint64 y = -1;
    qint64 points = 0;
    QString label; // the control's text, or its code when it has none
};

// A position on the map, in map units.
struct MapPoint
{
    qint64 x = 0;
    qint64 y = 0;
};

class CourseDefinition
{
public:
    CourseDefinition() = default;
    // Controls in code order; start and finish as startPosition() and finishPosition() give them.
    CourseDefinition(std::vector<TControlPoint> controls, ExtraPointRules rules, ClassTable classes, MapPoint start = {},
                     MapPoint finish = {});
    // LoadCourseDefinition: controls, extra-point rules and the class table.
    static CourseDefinition load(db::Connection &connection, const ClassTree &classTree);

    const std::vector<TControlPoint> &controls() const { return m_controls; }
    const std::vector<TExtraPointList> &extraPointRules() const { return m_rules.rules(); }
    const ClassTable &classes() const { return m_classes; }

    // The first control with exactly this code, or nullptr.
    const TControlPoint *findControl(const QString &code) const;
    // Points of the control (0 for an unknown code); sets x, y and label only when found.
    qint64 FindControl(const QString &code, qint64 &x, qint64 &y, QString &label) const;
    const ExtraPointRules &extraPoints() const { return m_rules; }

    // The control of a punching unit: of controls sharing the unit number the
    // first row; nullptr when none has it.
    const TControlPoint *findControlByUnit(qint64 unitNumber) const;
    // Where the start and the finish control stand (of several, the one with
    // the highest unit number); 0, 0 without one.
    MapPoint startPosition() const { return m_start; }
    MapPoint finishPosition() const { return m_finish; }

private:
    std::vector<TControlPoint> m_controls;
    ExtraPointRules m_rules;
    ClassTable m_classes;
    MapPoint m_start, m_finish;
    // First-wins indexes over the controls.
    QHash<QString, int> m_controlByCode;
    QHash<qint64, int> m_controlByUnit;
};

// The code a punch at a control carries, in readouts and in hand entries: the
// type letter for check-in, check-out, finish and W controls, the control code otherwise.
QString PunchCode(const QString &code, const QString &type);

// The codes a hand-entered punch may carry, one per control in code order.
QStringList ControlCodeList(db::Connection &connection);
