#pragma once

// A team's punch list walked over the course, as the result pages show it:
// each punch's control label, points and the leg from the control before,
// and the mark of its status.

#include "scoring/CourseDefinition.h"
#include "scoring/TeamPunchList.h"

#include <QString>
#include <optional>

struct CourseLeg
{
    QString label;
    qint64 points = 0;
    qint64 length = 0;              // map units; 0 when either end has no position
    std::optional<MapPoint> at;      // the control, when the course places it
    std::optional<MapPoint> from;    // the last placed control before it
};

// A code missing from the course shows as itself, scores nothing and adds
// no leg; the route goes on from the last control that has a position.
class CourseLegs
{
public:
    // Starts at the start control "S".
    explicit CourseLegs(const CourseDefinition &course);

    const CourseLeg &start() const { return m_start; }
    CourseLeg next(const QString &code);
    qint64 total() const { return m_total; }

private:
    CourseLeg legTo(const QString &code) const;

    const CourseDefinition &m_course;
    CourseLeg m_start;
    std::optional<MapPoint> m_last;
    qint64 m_total = 0;
};

// The status mark of a punch: its points in green (pointsText, for status
// 1 or 2 with points), the punch window for an over-interval punch (with the
// spread as tooltip), "MP", "DQ" or "Double"; empty for any other status.
QString PunchMark(const tControlRes &entry, qint64 points, const QString &pointsText, int punchWindow);
