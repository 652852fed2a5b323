#include "course/CourseMapFile.h"

#include "base/GifWriter.h"
#include "base/KorventError.h"
#include "base/TextFile.h"
#include "scoring/CourseMap.h"
#include "store/EventSettings.h"
#include "store/uData.h"

#include <QCoreApplication>
#include <QBuffer>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("CourseMapFile", text);
}

qint64 offset(const QString &text, const char *key)
{
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok);
    if (!ok)
        throw KorventError(tr("Setting %1: \"%2\" is not a whole number").arg(QLatin1String(key), text));
    return value;
}

} // namespace

QString CourseMapFileName(const EventSettings &settings, const QString &eventDirectory)
{
    return eventDirectory + QStringLiteral("base") + settings.eMap_Filename;
}

QString SaveCourseMapFile(TdmData &data, const EventSettings &settings, const QString &eventDirectory)
{
    const qint64 offsetX = offset(settings.eMap_OffsetX, "eMap_OffsetX");
    const qint64 offsetY = offset(settings.eMap_OffsetY, "eMap_OffsetY");
    if (settings.eMap_Filename.isEmpty())
        throw KorventError(tr("Setting eMap_Filename is empty: the course picture would have no file name"));
    // "base" + a name with a separator would lead through any folder named base... out of the event folder.
    if (settings.eMap_Filename.contains(u'/') || settings.eMap_Filename.contains(u'\\'))
        throw KorventError(tr("Setting eMap_Filename \"%1\" is no plain file name: the course picture is written in the event folder")
                               .arg(settings.eMap_Filename));
    const CourseMap map = DrawCourseMap(data.connection(), settings, eventDirectory, settings.eMap_Filename, offsetX, offsetY);

    const QString fileName = CourseMapFileName(settings, eventDirectory);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    WriteGif(map.picture, buffer);
    WriteFileBytes(fileName, bytes);
    return fileName;
}
