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

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(CourseMapFile)
};

} // namespace

QString CourseMapFileName(const EventSettings &settings, const QString &eventDirectory)
{
    return eventDirectory + QStringLiteral("base") + settings.mapFileName;
}

QString SaveCourseMapFile(TdmData &data, const EventSettings &settings, const QString &eventDirectory)
{
    const QString key = QString::fromLatin1(SettingOf(&EventSettings::mapFileName).key);
    if (settings.mapFileName.isEmpty())
        throw KorventError(Texts::tr("Setting %1 is empty: the course picture would have no file name").arg(key));
    // "base" + a name with a separator would lead through any folder named base... out of the event folder.
    if (settings.mapFileName.contains(u'/') || settings.mapFileName.contains(u'\\'))
        throw KorventError(Texts::tr("Setting %1 \"%2\" is no plain file name: the course picture is written in the event folder")
                               .arg(key, settings.mapFileName));
    const CourseMap map = DrawCourseMap(data.connection(), settings, eventDirectory, settings.mapFileName, settings.mapOffsetX, settings.mapOffsetY);

    const QString fileName = CourseMapFileName(settings, eventDirectory);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    WriteGif(map.picture, buffer);
    WriteFileBytes(fileName, bytes);
    return fileName;
}
