#include "ResultsFixture.h"
#include "EventRows.h"

#include "course/CourseDataImport.h"
#include "reports/CourseLegs.h"
#include "output/ReportOutput.h"
#include "registry/ReportRegistry.h"
#include "scoring/CourseMap.h"
#include "store/EventLocation.h"
#include "store/MapHelpers.h"

#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

// The IOF course example puts the map's origin in its middle: 47 of its 115
// controls lie below zero. The same course moved into positive numbers must
// give the same figures and pictures.
struct ShiftedCourse : ResultsFixture
{
    EventLocation location;
    // Start s1, twelve controls across both signs, the finish.
    const QStringList route = {u"93"_s, u"97"_s, u"110"_s, u"116"_s, u"127"_s, u"142"_s,
                               u"151"_s, u"154"_s, u"200"_s, u"129"_s, u"101"_s, u"96"_s, u"F"_s};

    struct Figures
    {
        std::vector<qint64> legs;
        qint64 total = 0;
        QByteArray splits;
        QByteArray route;
        QImage base;
    };

    void SetUp() override
    {
        ResultsFixture::SetUp();
        const QString example = QStringLiteral(KORVENT_IOF_COURSE_EXAMPLE);
        if (!QFileInfo::exists(example))
            GTEST_SKIP() << "The IOF XML 2.0.3 course data example is expected at " << example.toStdString();
        ImportCourseData(*data, example, false);
        setup.settings.mapScale = 15000;
        setup.settings.teamRouteMaps = true;
        location.program = ProgramFiles::inProgramDirectory(folderOf(dir));
        location.eventDirectory = folderOf(dir);
        location.resultsDirectory = folderOf(dir) + u"results/"_s;

        const qint64 id = team(7, "Owls", "H12", 500, 5 * 3600);
        const qint64 anna = runner(id, "Anna");
        int minute = 0;
        for (const QString &code : route) {
            minute += 20;
            punch(id, anna, code.toLatin1().constData(), QTime(10, 0).addSecs(60 * minute).toString(u"HH:mm:ss"_s).toLatin1().constData());
        }
    }

    QByteArray report(ReportKind kind, MemoryReportOutput &output, const ReportFile &file)
    {
        ReportRequest request;
        request.classes = {u"H12"_s};
        RunReport(ReportKindOf(kind), {data->connection(), setup, output, nullptr, location.eventDirectory, &location}, request);
        return output.bytes(file);
    }

    Figures figures()
    {
        Figures figures;
        const CourseDefinition course = CourseDefinition::load(data->connection(), setup.classTree);
        CourseLegs legs(course);
        for (const QString &code : route)
            figures.legs.push_back(legs.next(code).length);
        figures.total = legs.total();
        MemoryReportOutput splits, web;
        figures.splits = report(ReportKind::ResultsSplits, splits, {ReportFolder::Results, u"results.htm"_s});
        figures.route = report(ReportKind::ResultsWeb, web, {ReportFolder::Web, u"map_7.gif"_s});
        figures.base = DrawCourseMap(data->connection(), setup.settings, folderOf(dir), QString(), 0, 0).picture;
        return figures;
    }

    void shift(qint64 by)
    {
        data->connection().exec(u"UPDATE control SET pos_x = pos_x + ?, pos_y = pos_y + ?"_s, {by, by});
    }
};

} // namespace

TEST_F(ShiftedCourse, NegativePositionsAreRealPositions)
{
    const Figures asGiven = figures();
    shift(5000);
    const Figures shifted = figures();

    ASSERT_EQ(asGiven.legs.size(), size_t(13));
    for (size_t i = 0; i < asGiven.legs.size(); ++i)
        EXPECT_GT(asGiven.legs[i], 0) << "leg to " << route[qsizetype(i)].toStdString();
    EXPECT_EQ(asGiven.legs, shifted.legs);
    EXPECT_EQ(asGiven.total, shifted.total);
    // s1 (197.6, 42.1) over 93, 97, ... to f1 (159.7, -79.7): 484.1 mm of map, 7.26 km at 1:15,000.
    EXPECT_EQ(asGiven.total, 4841);
    EXPECT_TRUE(asGiven.splits.contains("Distance: " + DistanceText(asGiven.total, 15000).toUtf8() + "km"));
    EXPECT_EQ(asGiven.splits, shifted.splits);
    ASSERT_FALSE(asGiven.route.isEmpty());
    EXPECT_EQ(asGiven.route, shifted.route);
    EXPECT_EQ(asGiven.base, shifted.base);
}

TEST_F(ShiftedCourse, OnlyTheMarkerOrNoValueMeansNotPlaced)
{
    data->connection().exec(u"DELETE FROM control"_s);
    control("S", 0, -20, -20, "S");
    control("31", 10, -1, 50);    // a real position with one coordinate at -1
    control("32", 10, -1, -1);    // the marker: not placed
    insertRow(*data, u"control"_s, {{"controlnr", "33"}, {"points", 10}, {"type", "C"}, {"pos_x", 70}}); // half a position
    control("34", 10, -40, -20);
    const CourseDefinition course = CourseDefinition::load(data->connection(), setup.classTree);

    struct Case
    {
        const char *code;
        bool placed;
        qint64 length;
    } const cases[] = {{"31", true, 72}, {"32", false, 0}, {"33", false, 0}, {"34", true, 80}};
    CourseLegs legs(course);
    ASSERT_TRUE(legs.start().at);
    for (const Case &c : cases) {
        const CourseLeg leg = legs.next(QString::fromLatin1(c.code));
        EXPECT_EQ(leg.at.has_value(), c.placed) << c.code;
        EXPECT_EQ(leg.length, c.length) << c.code;
    }
    EXPECT_EQ(legs.total(), 152);

    // The picture spans the placed controls only: -40 to -1 across, 390 pixels wide.
    setup.settings.courseMapWidth = 390;
    const CourseMap map = DrawCourseMap(data->connection(), setup.settings, folderOf(dir), QString(), 0, 0);
    EXPECT_EQ(map.originX, -40);
    EXPECT_EQ(map.originY, -20);
    EXPECT_DOUBLE_EQ(map.scale, 10.0);
}
