#include "ScoringFixture.h"
#include "EventRows.h"
#include "exports/MapPicture.h"

#include "scoring/CourseDefinition.h"
#include "scoring/CourseMap.h"
#include "base/KorventError.h"
#include "base/GifWriter.h"

#include <QFile>
#include <QImage>

TEST_F(ScoringFixture, ControlsLoadInTextOrderOfTheirCodes)
{
    insertRow(*data, QStringLiteral("control"), {{"controlnr", "2"}, {"points", 20}, {"text", "Boulder"}, {"pos_x", 5}, {"pos_y", 6}});
    insertRow(*data, QStringLiteral("control"), {{"controlnr", "10"}, {"points", 10}});
    insertRow(*data, QStringLiteral("control"), {{"controlnr", "F"}, {"type", "F"}});
    const CourseDefinition course = CourseDefinition::load(data->connection(), setup.classTree);
    QStringList codes;
    for (const TControlPoint &control : course.controls())
        codes.append(control.code);
    EXPECT_EQ(codes, QStringList({"10", "2", "F"}));
    EXPECT_EQ(course.controls()[0].label, QStringLiteral("10"));
    EXPECT_EQ(course.classes().size(), 1u);

    qint64 x = -7, y = -7;
    QString label = QStringLiteral("unchanged");
    EXPECT_EQ(course.FindControl(QStringLiteral("2"), x, y, label), 20);
    EXPECT_EQ(x, 5);
    EXPECT_EQ(label, QStringLiteral("Boulder"));
    EXPECT_EQ(course.FindControl(QStringLiteral("99"), x, y, label), 0);
    EXPECT_EQ(x, 5);
    EXPECT_EQ(label, QStringLiteral("Boulder"));
}

TEST_F(ScoringFixture, ExtraPointRulesByKeyFirstOneCounts)
{
    rule(32, 33, 3);
    rule(31, 32, 5);
    rule(31, 32, 50);
    const CourseDefinition course = CourseDefinition::load(data->connection(), {});
    ASSERT_EQ(course.extraPointRules().size(), 3u);
    EXPECT_EQ(course.extraPointRules()[0].key, QStringLiteral("31>32"));
    EXPECT_EQ(course.extraPoints().legPoints(QStringLiteral("31"), QStringLiteral("32")), 5);
    EXPECT_EQ(course.extraPoints().legPoints(QStringLiteral("32"), QStringLiteral("31")), 0);
    EXPECT_EQ(course.extraPoints().legPoints(ExtraPointRules::startCode(), QStringLiteral("31")), 0);
}

TEST_F(ScoringFixture, ControlCodesForHandEntry)
{
    control("31", 30);
    control("S", 0, "S");
    control("F", 0, "F");
    control("200", 0, "I");
    EXPECT_EQ(ControlCodeList(data->connection()), QStringList({"I", "31", "F", "S"}));
}

TEST_F(ScoringFixture, ControlsByUnitNumberWithTheirPunchCodesAndTheStartAndFinish)
{
    const auto add = [&](const char *code, qint64 unit, const char *type, qint64 x, qint64 y) {
        insertRow(*data, QStringLiteral("control"),
                        {{"controlnr", code}, {"unitnumber", unit}, {"type", type}, {"points", 10}, {"pos_x", x}, {"pos_y", y}});
    };
    add("45", 31, "C", 10, 20);
    add("31", 31, "C", 30, 40); // shares the unit: the earlier row stands for it
    add("S", 1, "S", -100, 200);
    add("S2", 5, "S", 300, -400); // the start with the higher unit number
    add("200", 60, "I", 0, 0);
    add("F", 2, "F", 7, 8);
    const CourseDefinition course = CourseDefinition::load(data->connection(), {});
    ASSERT_TRUE(course.findControlByUnit(31));
    EXPECT_EQ(course.findControlByUnit(31)->code, QStringLiteral("45"));
    ASSERT_TRUE(course.findControlByUnit(60));
    EXPECT_EQ(course.findControlByUnit(60)->punchCode, QStringLiteral("I"));
    EXPECT_EQ(course.findControlByUnit(1)->punchCode, QStringLiteral("S"));
    EXPECT_EQ(course.findControlByUnit(99), nullptr);
    EXPECT_EQ(course.findControl(QStringLiteral("31"))->punchCode, QStringLiteral("31"));
    EXPECT_EQ(course.startPosition().x, 300);
    EXPECT_EQ(course.startPosition().y, -400);
    EXPECT_EQ(course.finishPosition().x, 7);
    EXPECT_EQ(course.finishPosition().y, 8);
}

TEST_F(ScoringFixture, CourseMapWithoutMapPicture)
{
    insertRow(*data, QStringLiteral("control"), {{"controlnr", "31"}, {"type", "C"}, {"pos_x", 0}, {"pos_y", 0}});
    insertRow(*data, QStringLiteral("control"), {{"controlnr", "F"}, {"type", "F"}, {"pos_x", 1000}, {"pos_y", 400}});
    EventSettings settings;
    settings.courseMapWidth = 500;
    // A folder of the name is no map picture either.
    QDir().mkpath(folderOf(dir) + QStringLiteral("folder.gif"));
    EXPECT_FALSE(DrawCourseMap(data->connection(), settings, folderOf(dir), QStringLiteral("folder.gif"), 0, 0).withMapImage);
    const CourseMap map = DrawCourseMap(data->connection(), settings, folderOf(dir), QStringLiteral("nomap.gif"), 0, 0);
    EXPECT_FALSE(map.withMapImage);
    EXPECT_DOUBLE_EQ(map.scale, 0.5);
    EXPECT_EQ(map.picture.width(), 520);
    EXPECT_EQ(map.picture.height(), 220);
    // The finish at x = 1000 is drawn in red around pixel (510, 10).
    const QColor rim = map.picture.pixelColor(510 + 3, 10);
    EXPECT_GT(rim.red(), 150);
    EXPECT_LT(rim.green(), 120);
    EXPECT_EQ(map.picture.pixelColor(300, 100), QColor(Qt::white));
}

TEST_F(ScoringFixture, CourseMapOnTheMapPictureStartsAtTheStart)
{
    // A 2 x 1 GIF: black and white pixels.
    writeFile(folderOf(dir) + QStringLiteral("map.gif"),
              QByteArray::fromHex("47494638396102000100800000000000ffffff2c0000000002000100000202440a003b"));
    insertRow(*data, QStringLiteral("control"), {{"controlnr", "S"}, {"type", "S"}, {"pos_x", 300}, {"pos_y", 200}});
    insertRow(*data, QStringLiteral("control"), {{"controlnr", "31"}, {"type", "C"}, {"pos_x", 100}, {"pos_y", 100}});
    EventSettings settings;
    settings.courseMapWidth = 200;
    const CourseMap map = DrawCourseMap(data->connection(), settings, folderOf(dir), QStringLiteral("map.gif"), 0, 0);
    ASSERT_TRUE(map.withMapImage);
    EXPECT_DOUBLE_EQ(map.scale, 100.0);
    EXPECT_EQ(map.picture.size(), QSize(200, 100));
    EXPECT_EQ(map.originX, 300);
    EXPECT_EQ(map.originY, 200);
    // Black lightens to 150, white stays white.
    EXPECT_EQ(map.picture.pixelColor(50, 50), QColor(150, 150, 150));
    EXPECT_EQ(map.picture.pixelColor(150, 50), QColor(255, 255, 255));
}

TEST_F(ScoringFixture, CourseMapNeedsControlsWithExtent)
{
    EventSettings settings;
    EXPECT_THROW(DrawCourseMap(data->connection(), settings, folderOf(dir), QString(), 0, 0), KorventError);
    insertRow(*data, QStringLiteral("control"), {{"controlnr", "31"}, {"pos_x", 50}, {"pos_y", 0}});
    insertRow(*data, QStringLiteral("control"), {{"controlnr", "32"}, {"pos_x", 50}, {"pos_y", 90}});
    EXPECT_THROW(DrawCourseMap(data->connection(), settings, folderOf(dir), QString(), 0, 0), KorventError);
}

TEST_F(ScoringFixture, CoursePictureHeightsOutOfReasonAreRefused)
{
    insertRow(*data, QStringLiteral("control"), {{"controlnr", "S"}, {"type", "S"}, {"pos_x", 0}, {"pos_y", 0}});
    insertRow(*data, QStringLiteral("control"), {{"controlnr", "31"}, {"type", "C"}, {"pos_x", 1}, {"pos_y", 100000}});
    EventSettings settings;
    settings.courseMapWidth = 200;
    // A few bytes of GIF can name a picture that, stretched to the width, would take gigabytes.
    const struct
    {
        const char *mapFile;
        QByteArray picture;
        const char *message;
    } refused[] = {
        {"tall.gif", gifPicture(1, 1000), "is 1 x 1000 pixels: 200 pixels wide the course picture would be 200000 pixels high; it can be 1 to 2000"},
        {"wide.gif", gifPicture(60000, 1), "is 60000 x 1 pixels: 200 pixels wide the course picture would be 0 pixels high; it can be 1 to 2000"},
        {"none.gif", QByteArray(), "The controls span 1 x 100000 map units: 220 pixels wide the course picture would be 20000020 pixels high; it can be 1 to 2200"},
    };
    for (const auto &c : refused) {
        if (!c.picture.isEmpty())
            writeFile(folderOf(dir) + QLatin1String(c.mapFile), c.picture);
        try {
            DrawCourseMap(data->connection(), settings, folderOf(dir), QLatin1String(c.mapFile), 0, 0);
            ADD_FAILURE() << c.mapFile;
        } catch (const KorventError &error) {
            EXPECT_TRUE(error.message().endsWith(QLatin1String(c.message))) << error.message().toStdString();
        }
    }
    // A picture Qt will not read for its size says so.
    writeFile(folderOf(dir) + QStringLiteral("huge.gif"), gifPicture(20000, 20000));
    try {
        DrawCourseMap(data->connection(), settings, folderOf(dir), QStringLiteral("huge.gif"), 0, 0);
        ADD_FAILURE() << "huge.gif";
    } catch (const KorventError &error) {
        EXPECT_TRUE(error.message().endsWith(QStringLiteral("huge.gif: at 20000 x 20000 pixels it is larger than the 128 MB a picture may take")))
            << error.message().toStdString();
    }
    // Ten times as high as wide is still a map.
    writeFile(folderOf(dir) + QStringLiteral("strip.gif"), gifPicture(10, 100));
    EXPECT_EQ(DrawCourseMap(data->connection(), settings, folderOf(dir), QStringLiteral("strip.gif"), 0, 0).picture.size(), QSize(200, 2000));
}

TEST_F(ScoringFixture, TheMapPictureIsScaledSmoothly)
{
    // Hair lines on an even and an odd row, and a diagonal: picked pixel by pixel, half of them would vanish.
    QImage drawn(400, 200, QImage::Format_RGB32);
    drawn.fill(Qt::white);
    for (int x = 0; x < 400; ++x) {
        drawn.setPixel(x, 100, qRgb(0, 0, 0));
        drawn.setPixel(x, 151, qRgb(0, 0, 0));
        drawn.setPixel(x, x / 2, qRgb(0, 0, 0));
    }
    QFile file(folderOf(dir) + QStringLiteral("map.gif"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    WriteGif(drawn, file);
    file.close();
    insertRow(*data, QStringLiteral("control"), {{"controlnr", "S"}, {"type", "S"}, {"pos_x", 0}, {"pos_y", 0}});
    insertRow(*data, QStringLiteral("control"), {{"controlnr", "31"}, {"type", "C"}, {"pos_x", 100}, {"pos_y", 100}});
    EventSettings settings;
    settings.courseMapWidth = 200;
    const CourseMap map = DrawCourseMap(data->connection(), settings, folderOf(dir), QStringLiteral("map.gif"), 1000, 1000);
    ASSERT_EQ(map.picture.size(), QSize(200, 100));
    // Every column of every line keeps some of its ink: darker than the lightened paper.
    const auto inked = [&](int x, int y) {
        int darkest = 255;
        for (int row = qMax(0, y - 1); row <= qMin(99, y + 1); ++row)
            darkest = qMin(darkest, qGray(map.picture.pixel(x, row)));
        return darkest < 245;
    };
    for (int x = 0; x < 200; ++x) {
        EXPECT_TRUE(inked(x, 50)) << "even row, column " << x;
        EXPECT_TRUE(inked(x, 75)) << "odd row, column " << x;
        EXPECT_TRUE(inked(x, x / 2)) << "diagonal, column " << x;
    }
}
