#include "course/CourseFixture.h"

#include "base/GifWriter.h"
#include "base/KorventError.h"
#include "course/ControlRows.h"
#include "course/CourseMapFile.h"
#include "store/EventSettings.h"

#include <QFile>
#include <QImage>
#include <functional>
#include <sys/stat.h>

namespace {

struct CourseMapFile : CourseFixture
{
    EventSettings settings;

    void SetUp() override
    {
        CourseFixture::SetUp();
        ControlRow start = StartRow(QStringLiteral("Start"));
        start.posX = 0;
        start.posY = 0;
        ControlRow far = ScoringControlRow(31, false, QStringLiteral("P:31"));
        far.posX = 1000;
        far.posY = 400;
        InsertControlRows(*data, {start, far});
    }
};

// Whether a pixel within 4 of (x, y) is of the kind.
bool hasPixelNear(const QImage &picture, int x, int y, const std::function<bool(QColor)> &kind)
{
    for (int dy = -4; dy <= 4; ++dy)
        for (int dx = -4; dx <= 4; ++dx)
            if (picture.valid(x + dx, y + dy) && kind(picture.pixelColor(x + dx, y + dy)))
                return true;
    return false;
}

} // namespace

TEST_F(CourseMapFile, TheCoursePictureIsSavedAsBasePlusTheMapFileName)
{
    const QString written = SaveCourseMapFile(*data, settings, folderOf(dir));
    EXPECT_EQ(written, folderOf(dir) + QStringLiteral("baserogainmap.gif"));
    EXPECT_TRUE(readFile(written).startsWith("GIF8"));
    const QImage picture(written, "gif");
    // No map picture: the width of the map file and a margin of 10 around the controls.
    EXPECT_EQ(picture.width(), 520);
    EXPECT_EQ(picture.height(), 220);
    // Control 31 is a grey circle around (510, 10), the start a red one around (10, 210).
    EXPECT_TRUE(hasPixelNear(picture, 510, 10, [](QColor c) { return qAbs(c.red() - 128) < 24 && qAbs(c.red() - c.green()) < 12 && qAbs(c.red() - c.blue()) < 12; }));
    EXPECT_TRUE(hasPixelNear(picture, 10, 210, [](QColor c) { return c.red() > 200 && c.green() < 60 && c.blue() < 60; }));
    EXPECT_FALSE(hasPixelNear(picture, 10, 10, [](QColor c) { return c != QColor(Qt::white); }));

    // Replaced by the next one.
    settings.courseMapWidth = 300;
    SaveCourseMapFile(*data, settings, folderOf(dir));
    EXPECT_EQ(QImage(written, "gif").width(), 320);
}

TEST_F(CourseMapFile, OverTheMapPictureOfTheEventFolder)
{
    QImage map(1000, 800, QImage::Format_RGB32);
    map.fill(Qt::black);
    QFile file(folderOf(dir) + QStringLiteral("rogainmap.gif"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    WriteGif(map, file);
    file.close();

    const QImage picture(SaveCourseMapFile(*data, settings, folderOf(dir)), "gif");
    // Stretched to the width of the map file and lightened: black becomes 150 of 255.
    EXPECT_EQ(picture.width(), 500);
    EXPECT_EQ(picture.height(), 400);
    EXPECT_NEAR(picture.pixelColor(250, 390).red(), 150, 8);
}

TEST_F(CourseMapFile, RefusalsLeaveAnEarlierFileAsItWas)
{
    const QString written = SaveCourseMapFile(*data, settings, folderOf(dir));
    const QByteArray before = readFile(written);
    struct Case
    {
        const char *offsetX, *offsetY, *mapFile;
        const char *message;
    };
    const Case cases[] = {
        {"1.5", "0", "rogainmap.gif", "Start Offset (pix) x (eMap_OffsetX): \"1.5\" is not a whole number"},
        {"+3", "0", "rogainmap.gif", "Start Offset (pix) x (eMap_OffsetX): \"+3\" is not a whole number"},
        {"0", "", "rogainmap.gif", "Start Offset (pix) y (eMap_OffsetY): \"\" is not a whole number"},
        {"0", "0", "", "Setting eMap_Filename is empty"},
    };
    for (const Case &c : cases) {
        EventSettings refused = settings;
        try {
            // Offsets the picture cannot take never get past their reading.
            SetSettingText(refused, SettingOf(&EventSettings::mapOffsetX), QString::fromUtf8(c.offsetX));
            SetSettingText(refused, SettingOf(&EventSettings::mapOffsetY), QString::fromUtf8(c.offsetY));
        } catch (const KorventError &error) {
            EXPECT_TRUE(error.message().startsWith(QString::fromUtf8(c.message))) << error.message().toStdString();
            continue;
        }
        refused.mapFileName = QString::fromUtf8(c.mapFile);
        try {
            SaveCourseMapFile(*data, refused, folderOf(dir));
            ADD_FAILURE() << c.message;
        } catch (const KorventError &error) {
            EXPECT_TRUE(error.message().startsWith(QString::fromUtf8(c.message))) << error.message().toStdString();
        }
    }
    data->connection().exec(QStringLiteral("DELETE FROM control"));
    EXPECT_THROW(SaveCourseMapFile(*data, settings, folderOf(dir)), KorventError);
    EXPECT_EQ(readFile(written), before);
}

TEST_F(CourseMapFile, APipeOfTheFilesNameIsNotReplaced)
{
    const QString pipe = folderOf(dir) + QStringLiteral("baserogainmap.gif");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    EXPECT_THROW(SaveCourseMapFile(*data, settings, folderOf(dir)), KorventError);
    struct stat status;
    ASSERT_EQ(::stat(QFile::encodeName(pipe).constData(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));
}

TEST_F(CourseMapFile, TheMapFileNameCannotLeadOutOfTheEventFolder)
{
    // With a folder "base" in the event folder, "base" + "/../x" would be a path of its own.
    QDir().mkpath(folderOf(dir) + QStringLiteral("event/base"));
    const QString eventDirectory = folderOf(dir) + QStringLiteral("event/");
    for (const char *name : {"/../../escaped.gif", "\\..\\escaped.gif"}) {
        settings.mapFileName = QLatin1String(name);
        try {
            SaveCourseMapFile(*data, settings, eventDirectory);
            ADD_FAILURE() << name;
        } catch (const KorventError &error) {
            EXPECT_EQ(error.message(), QStringLiteral("Setting eMap_Filename \"%1\" is no plain file name: the course picture is written in the event folder")
                                           .arg(QLatin1String(name)));
        }
    }
    EXPECT_FALSE(QFile::exists(folderOf(dir) + QStringLiteral("escaped.gif")));
}
