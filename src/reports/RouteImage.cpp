#include "reports/RouteImage.h"

#include "store/EventSettings.h"
#include "store/MapHelpers.h"

#include <QFont>
#include <QFontMetrics>

#include <algorithm>

QPoint RouteBase::pixel(const MapPoint &position) const
{
    // Map y grows upwards, picture y downwards; fractions are cut at the end.
    const double dx = static_cast<double>(position.x) - static_cast<double>(map.originX);
    const double dy = static_cast<double>(position.y) - static_cast<double>(map.originY);
    if (map.withMapImage)
        return QPoint(MapPixel((offsetX + dx * dpi / 254.0) * map.scale), MapPixel((offsetY - dy * dpi / 254.0) * map.scale));
    return QPoint(MapPixel(dx * map.scale) + 10, MapPixel(map.picture.height() - dy * map.scale - 10));
}

RouteBase PrepareRouteBase(db::Connection &connection, const EventSettings &settings, const QString &eventDirectory)
{
    RouteBase base;
    base.offsetX = settings.mapOffsetX;
    base.offsetY = settings.mapOffsetY;
    base.dpi = settings.mapDpi;
    base.map = DrawCourseMap(connection, settings, eventDirectory, settings.mapFileName, base.offsetX, base.offsetY);
    return base;
}

RouteImage::RouteImage(const RouteBase &base)
    : m_base(base)
    , m_picture(base.map.picture.copy())
    , m_painter(std::make_unique<QPainter>(&m_picture))
{
    m_painter->setPen(QPen(Qt::red, 2));
    m_painter->setBrush(Qt::white);
}

RouteImage::~RouteImage() = default;

void RouteImage::circle(const QPoint &centre, int radius)
{
    m_painter->drawEllipse(QRectF(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius));
}

void RouteImage::drawStart(const MapPoint &start)
{
    const QPoint centre = m_base.pixel(start);
    circle(centre, 5);
    circle(centre, 3);
}

void RouteImage::drawLeg(const CourseLeg &leg)
{
    if (!leg.at)
        return;
    const QPoint centre = m_base.pixel(*leg.at);
    circle(centre, 3);
    circle(centre, 2);
    if (leg.from)
        m_painter->drawLine(centre, m_base.pixel(*leg.from));
}

QImage RouteImage::finish(const QString &caption)
{
    QFont font(QStringLiteral("Verdana"));
    font.setPixelSize(11);
    m_painter->setFont(font);
    // The caption's top sits at 10 less its height: at the top edge. Its box
    // is half white: readable, and the route and controls under it still show.
    const QFontMetrics metrics(font);
    const QPoint baseline(10, 10 - font.pixelSize() + metrics.ascent());
    m_painter->fillRect(metrics.boundingRect(caption).translated(baseline), QColor(255, 255, 255, 140));
    m_painter->setPen(Qt::black);
    m_painter->drawText(baseline, caption);
    m_painter->end();
    return std::move(m_picture);
}
