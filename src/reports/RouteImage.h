#pragma once

// A team's route drawn on the course picture: the start, a circle at every
// punched control, a line for every leg and the event and team name on top.

#include "reports/CourseLegs.h"
#include "scoring/CourseMap.h"

#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QString>
#include <memory>

namespace db { class Connection; }
struct EventSettings;

// The course picture the route maps are drawn on, with what it takes to place a control on it.
struct RouteBase
{
    CourseMap map;
    qint64 offsetX = 0; // the start's pixel position on the map picture
    qint64 offsetY = 0;
    qint64 dpi = 0;     // the map picture's resolution

    // The pixel of a control position (map units).
    QPoint pixel(const MapPoint &position) const;
};

// The course picture from the map file of the settings (a blank sheet when
// there is none). Raises KorventError as DrawCourseMap does.
RouteBase PrepareRouteBase(db::Connection &connection, const EventSettings &settings, const QString &eventDirectory);

class RouteImage
{
public:
    explicit RouteImage(const RouteBase &base);
    ~RouteImage();
    RouteImage(RouteImage &&) = delete;

    void drawStart(const MapPoint &start);
    // The control's circles, then the leg back to the control before.
    void drawLeg(const CourseLeg &leg);
    // Writes the caption and hands over the picture.
    QImage finish(const QString &caption);

private:
    void circle(const QPoint &centre, int radius);

    const RouteBase &m_base;
    QImage m_picture;
    std::unique_ptr<QPainter> m_painter;
};
