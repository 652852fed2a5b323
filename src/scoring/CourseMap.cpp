#include "scoring/CourseMap.h"

#include "db/Connection.h"
#include "store/EventSettings.h"
#include "store/MapHelpers.h"
#include "base/GuardedFiles.h"
#include "base/KorventError.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(CourseMap)
};

QColor outlineOf(const QString &type)
{
    switch (type.isEmpty() ? u'C' : type.at(0).unicode()) {
    case u'S':
    case u'F':
        return Qt::red;
    case u'I':
    case u'O':
        return Qt::black;
    case u'W':
        return Qt::blue;
    default:
        return QColor(128, 128, 128);
    }
}

// Every colour byte c becomes c + 150 * (255 - c) / 255: the map fades so the course stands out.
void lighten(QImage &picture)
{
    picture = picture.convertToFormat(QImage::Format_RGB888);
    for (int y = 0; y < picture.height(); ++y) {
        uchar *line = picture.scanLine(y);
        for (int i = 0; i < picture.width() * 3; ++i)
            line[i] = static_cast<uchar>(line[i] + 150 * (255 - line[i]) / 255);
    }
}

// A course picture is at most some times as high as wide, as maps are: a far
// taller one comes of a map picture or control positions gone wrong, and would
// take gigabytes to draw and encode.
constexpr int MaxHeightPerWidth = 10;

// The picture's height in whole pixels, refused when out of reason; `what` names its cause.
int pictureHeight(double height, int width, const QString &what)
{
    const int most = MaxHeightPerWidth * width;
    if (!(height >= 1 && height < most + 1))
        throw KorventError(Texts::tr("%1: %2 pixels wide the course picture would be %3 pixels high; it can be 1 to %4")
                               .arg(what)
                               .arg(width)
                               .arg(QString::number(std::floor(height), 'f', 0))
                               .arg(most));
    return static_cast<int>(height);
}

// Controls with a position; one without has no value or the marker -1, -1.
const QString placedControls = QStringLiteral(
    " FROM control WHERE pos_x IS NOT NULL AND pos_y IS NOT NULL AND NOT (pos_x = -1 AND pos_y = -1)");

} // namespace

CourseMap DrawCourseMap(db::Connection &connection, const EventSettings &settings, const QString &eventDirectory,
                        const QString &mapFileName, qint64 offsetX, qint64 offsetY)
{
    CourseMap map;
    QSqlQuery extent = connection.exec(QStringLiteral("SELECT min(pos_x), max(pos_x), min(pos_y), max(pos_y)") + placedControls);
    extent.next();
    if (extent.value(0).isNull())
        throw KorventError(Texts::tr("There are no controls to draw"));
    map.originX = extent.value(0).toLongLong();
    map.originY = extent.value(2).toLongLong();
    const double spanX = extent.value(1).toDouble() - static_cast<double>(map.originX);
    const double spanY = extent.value(3).toDouble() - static_cast<double>(map.originY);
    const int width = settings.courseMapWidth;
    if (spanX <= 0)
        throw KorventError(Texts::tr("The controls lie on one vertical line of the map: there is no width to draw"));
    map.scale = static_cast<double>(width) / spanX;

    const QString mapFile = eventDirectory + mapFileName;
    qint64 dpi = 0;
    // Only a plain file is a map picture: a pipe of that name would stall the reading.
    map.withMapImage = !mapFileName.isEmpty() && QFileInfo(mapFile).isFile();
    if (map.withMapImage) {
        GuardedFiles::refuse(mapFile, GuardedFiles::Access::Read);
        QImageReader reader(mapFile, "gif");
        const QSize size = reader.size();
        const QImage image = reader.read();
        // Qt refuses a picture beyond its allocation limit with only "Unable to read image data".
        if (image.isNull() && size.isValid() && qint64(size.width()) * size.height() * 4 > qint64(QImageReader::allocationLimit()) << 20)
            throw KorventError(Texts::tr("Cannot read the map picture %1: at %2 x %3 pixels it is larger than the %4 MB a picture may take")
                                   .arg(mapFile)
                                   .arg(size.width())
                                   .arg(size.height())
                                   .arg(QImageReader::allocationLimit()));
        if (image.isNull())
            throw KorventError(Texts::tr("Cannot read the map picture %1: %2").arg(mapFile, reader.errorString()));
        map.scale = static_cast<double>(width) / image.width();
        const int height = pictureHeight(image.height() * map.scale, width,
                                         Texts::tr("The map picture %1 is %2 x %3 pixels").arg(mapFile).arg(image.width()).arg(image.height()));
        // Smoothly: thin map lines scaled down by sampling turn dotted or vanish.
        // Transparent parts of the picture are paper.
        map.picture = QImage(width, height, QImage::Format_RGB888);
        map.picture.fill(Qt::white);
        QPainter stretch(&map.picture);
        stretch.drawImage(0, 0, image.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        stretch.end();
        lighten(map.picture);
        QSqlQuery start = connection.exec(QStringLiteral("SELECT pos_x, pos_y") + placedControls + QStringLiteral(" AND type='S'"));
        if (start.next()) {
            map.originX = start.value(0).toLongLong();
            map.originY = start.value(1).toLongLong();
        }
        dpi = settings.mapDpi;
    } else {
        const int height = pictureHeight(spanY * map.scale + 20, width + 20, Texts::tr("The controls span %1 x %2 map units").arg(QString::number(spanX, 'f', 0), QString::number(spanY, 'f', 0)));
        map.picture = QImage(width + 20, height, QImage::Format_RGB888);
        map.picture.fill(Qt::white);
    }

    QPainter painter(&map.picture);
    painter.setBrush(Qt::white);
    QSqlQuery controls = connection.exec(QStringLiteral("SELECT pos_x, pos_y, type") + placedControls + QStringLiteral(" ORDER BY controlnr, id"));
    while (controls.next()) {
        const qint64 posX = controls.value(0).toLongLong();
        const qint64 posY = controls.value(1).toLongLong();
        const double dx = static_cast<double>(posX) - static_cast<double>(map.originX);
        const double dy = static_cast<double>(posY) - static_cast<double>(map.originY);
        qint64 x, y;
        if (map.withMapImage) {
            x = MapPixel((offsetX + std::trunc(dx * dpi / 254)) * map.scale);
            y = MapPixel((offsetY - std::trunc(dy * dpi / 254)) * map.scale);
        } else {
            x = MapPixel(dx * map.scale) + 10;
            y = map.picture.height() - MapPixel(dy * map.scale) - 10;
        }
        painter.setPen(QPen(outlineOf(controls.value(2).toString()), 1));
        painter.drawEllipse(QRectF(x - 3, y - 3, 6, 6));
    }
    return map;
}
