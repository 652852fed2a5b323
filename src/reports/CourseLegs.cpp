#include "reports/CourseLegs.h"

#include "reports/ReportPage.h"

#include "store/MapHelpers.h"
#include "store/StatusTexts.h"
#include "store/TimeHelpers.h"

#include <QCoreApplication>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(Reports)
};

} // namespace

CourseLegs::CourseLegs(const CourseDefinition &course)
    : m_course(course)
{
    m_start = legTo(QStringLiteral("S"));
    m_last = m_start.at;
}

CourseLeg CourseLegs::legTo(const QString &code) const
{
    CourseLeg leg;
    leg.label = code;
    leg.from = m_last;
    const TControlPoint *control = m_course.findControl(code);
    if (!control)
        return leg;
    leg.label = control->label;
    leg.points = control->points;
    if (MapPositionIsSet(control->x, control->y))
        leg.at = MapPoint{control->x, control->y};
    if (leg.at && leg.from)
        leg.length = MapDistance(leg.at->x, leg.at->y, leg.from->x, leg.from->y);
    return leg;
}

CourseLeg CourseLegs::next(const QString &code)
{
    CourseLeg leg = legTo(code);
    m_total += leg.length;
    if (leg.at)
        m_last = leg.at;
    return leg;
}

QString PunchMark(const tControlRes &entry, qint64 points, const QString &pointsText, int punchWindow)
{
    switch (entry.status) {
    case PunchOK:
    case PunchMan:
        return points >= 1 ? QStringLiteral("<font color=\"green\">") + pointsText + QStringLiteral("</font>") : QString();
    case PunchOverInterval:
        return QStringLiteral("<font color=\"blue\"><a title=\"") + Texts::tr("Over punch interval:") + FormatSeconds(entry.seconds)
            + QStringLiteral("\">&gt;") + QString::number(punchWindow) + QStringLiteral("s.</a></font>");
    case PunchMissing:
        return QStringLiteral("<font color=\"blue\">") + Texts::tr("MP") + QStringLiteral("</font>");
    case PunchDQ:
        return QStringLiteral("<font color=\"red\">") + Texts::tr("DQ") + QStringLiteral("</font>");
    case PunchDouble:
        return QStringLiteral("<font color=\"blue\">") + Texts::tr("Double") + QStringLiteral("</font>");
    default:
        return QString();
    }
}
