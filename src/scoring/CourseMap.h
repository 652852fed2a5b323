#pragma once

// The course picture: the map image (lightened), or a blank sheet, with a
// circle for every control. Routes and punches are placed on it later with
// the same origin and scale.

#include <QImage>
#include <QString>

namespace db { class Connection; }
struct EventSettings;

struct CourseMap
{
    QImage picture;
    qint64 originX = 0; // map units of the picture's reference point
    qint64 originY = 0;
    double scale = 0;   // pixels per map unit (per image pixel with a map image)
    bool withMapImage = false;
};

// mapFileName is looked up in the event folder; offsets are the start's
// pixel position on the map image. Raises KorventError when the controls
// give no extent to draw or the map image cannot be read.
CourseMap DrawCourseMap(db::Connection &connection, const EventSettings &settings, const QString &eventDirectory,
                        const QString &mapFileName, qint64 offsetX, qint64 offsetY);
