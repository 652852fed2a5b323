#include "course/CourseFixture.h"

#include "DatabaseDump.h"
#include "RecordedProgress.h"

#include "base/KorventError.h"
#include "course/ControlCreation.h"
#include "course/CourseDataImport.h"
#include "course/CourseImportSummary.h"
#include "store/EventSettings.h"

#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>

namespace {

// A small course file as a course-setting program exports it.
const QByteArray smallCourse = R"(<?xml version="1.0" encoding="ISO-8859-1"?>
<!DOCTYPE CourseData SYSTEM "IOFdata.dtd">
<CourseData>
  <IOFVersion version="2.0.3" />
  <Map>
    <Scale> 15000 </Scale>
    <MapPosition x="-10.59" y="277.04" />
  </Map>
  <StartPoint>
    <StartPointCode> s1 </StartPointCode>
    <MapPosition x="197.6" y="42.1"/>
  </StartPoint>
  <Control>
    <ControlCode>31.0</ControlCode>
    <MapPosition x="12.37" y="-0.05"/>
  </Control>
  <Control>
    <ControlCode> 105 </ControlCode>
    <MapPosition x="-3.99" y="1"/>
  </Control>
  <Control>
    <ControlCode>7</ControlCode>
  </Control>
  <Course><CourseName>A</CourseName></Course>
  <FinishPoint>
    <FinishPointCode>F&#246;1</FinishPointCode>
    <MapPosition x="0.0" y="+.5"/>
  </FinishPoint>
</CourseData>
)";

struct CourseDataImport : CourseFixture
{
    QString file(const QByteArray &bytes, const QString &name = QStringLiteral("course.xml"))
    {
        const QString fileName = folderOf(dir) + name;
        writeFile(fileName, bytes);
        return fileName;
    }

    // The message of the error the import raises; empty when it raises none.
    QString refusal(const QString &fileName)
    {
        try {
            ImportCourseData(*data, fileName, false);
        } catch (const KorventError &error) {
            return error.message();
        }
        return QString();
    }
};

} // namespace

TEST_F(CourseDataImport, ControlsStartFinishAndTheMapReference)
{
    // Numbers in the file have "." decimals whatever the regional format.
    const QLocale regional = QLocale();
    QLocale::setDefault(QLocale(QLocale::Estonian, QLocale::Estonia));
    const CourseData course = ImportCourseData(*data, file(smallCourse), false);
    QLocale::setDefault(regional);

    EXPECT_EQ(controls(), QStringList({
                              "S 10 0 S 1976 421 s1",
                              "31 31 3 C 123 0 P:31.0",
                              "105 105 10 C -39 10 P:105",
                              "7 7 0 C 0 0 P:7",
                              QStringLiteral("F 11 0 F 0 5 F\u00f61"),
                          }));
    ASSERT_TRUE(course.map.has_value());
    EXPECT_EQ(course.map->scale, 15000);
    EXPECT_EQ(course.map->offsetX, -105);
    EXPECT_EQ(course.map->offsetY, 2770);
    EXPECT_EQ(course.rows.size(), 5u);

    EventSettings settings;
    ApplyMapReference(settings, *course.map);
    EXPECT_EQ(settings.mapScale, 15000);
    EXPECT_EQ(settings.mapOffsetX, -105);
    EXPECT_EQ(settings.mapOffsetY, 2770);
}

TEST_F(CourseDataImport, TheScaleIsStoredAsTheSettingsReadIt)
{
    const struct { const char *inFile; const char *stored; } cases[] = {
        {"15000", "15000"}, {" 15000 ", "15000"}, {"15000.0", "15000"}, {"+10000", "10000"}, {"010000", "10000"}, {"1000000", "1000000"},
    };
    for (const auto &c : cases) {
        const CourseData course = ReadCourseData(file(QByteArray("<CourseData><Map><Scale>") + c.inFile + "</Scale></Map></CourseData>"), false);
        ASSERT_TRUE(course.map.has_value()) << c.inFile;
        EventSettings settings;
        ApplyMapReference(settings, *course.map);
        EXPECT_EQ(SettingText(settings, SettingOf(&EventSettings::mapScale)), QLatin1String(c.stored)) << c.inFile;
        EXPECT_EQ(settings.mapScale, QByteArray(c.stored).toLongLong()) << c.inFile;
    }
}

TEST_F(CourseDataImport, UnitNumbersPlusElevenAndAFileWithoutMap)
{
    const CourseData course = ImportCourseData(*data, file(R"(<CourseData><Control><ControlCode>31</ControlCode>
        <MapPosition x="1" y="2"/></Control></CourseData>)"), true);
    EXPECT_EQ(controls(), QStringList({"31 42 3 C 10 20 P:31"}));
    EXPECT_FALSE(course.map.has_value());
}

TEST_F(CourseDataImport, TheExampleCourseDataOfTheIofStandard)
{
    const QString example = QStringLiteral(KORVENT_IOF_COURSE_EXAMPLE);
    if (!QFileInfo::exists(example))
        GTEST_SKIP() << "The IOF XML 2.0.3 course data example is expected at " << example.toStdString()
                     << " (KORVENT_IOF_COURSE_EXAMPLE); its import is not tested";
    const CourseData course = ImportCourseData(*data, example, false);
    ASSERT_TRUE(course.map.has_value());
    EXPECT_EQ(course.map->scale, 15000);
    EXPECT_EQ(course.map->offsetX, -105);
    EXPECT_EQ(course.map->offsetY, 2770);

    // In the order of the file: the first of the three starts, 115 controls,
    // the finish. The start is one row: the other start points are named.
    const QStringList rows = controls();
    ASSERT_EQ(rows.size(), 1 + 115 + 1);
    EXPECT_EQ(rows.mid(0, 3), QStringList({"S 10 0 S 1976 421 s1", "31 31 3 C 1728 542 P:31", "32 32 3 C 1684 570 P:32"}));
    EXPECT_EQ(course.otherStarts, QStringList({"s2", "s3"}));
    EXPECT_TRUE(rows.contains(QStringLiteral("97 97 9 C 1326 -19 P:97")));
    EXPECT_EQ(rows.mid(114), QStringList({"154 154 15 C 1484 -930 P:154", "200 200 20 C 1461 -800 P:200", "F 11 0 F 1597 -797 f1"}));
    EXPECT_EQ(CourseImportSummary(course),
              QStringList({"117 controls added: 115 scoring controls, 1 start, 1 finish", "Start (S): s1; also in the file, not added: s2, s3",
                           "Finish (F): f1", "Map: scale 1:15000, reference point -105, 2770 (tenths of a millimetre)"}));
    EXPECT_EQ(rows.filter(QRegularExpression(QStringLiteral("^(\\d+) \\1 \\d+ C -?\\d+ -?\\d+ P:\\1$"))).size(), 115);
}

TEST_F(CourseDataImport, StartAndFinishAreOneRowEachAndTheSummarySaysWhatWasLeft)
{
    const struct
    {
        const char *points;
        QStringList rows;
        QStringList summary;
    } cases[] = {
        {"<StartPoint><StartPointCode>S\u00f5</StartPointCode><MapPosition x='-1.5' y='2'/></StartPoint>"
         "<StartPoint><StartPointCode>S2</StartPointCode><MapPosition x='3' y='4'/></StartPoint>"
         "<FinishPoint><FinishPointCode>F1</FinishPointCode><MapPosition x='5' y='6'/></FinishPoint>"
         "<FinishPoint><FinishPointCode>F2</FinishPointCode><MapPosition x='7' y='8'/></FinishPoint>"
         "<StartPoint><StartPointCode>S3</StartPointCode><MapPosition x='9' y='9'/></StartPoint>",
         {"31 31 3 C 10 10 P:31", QStringLiteral("S 10 0 S -15 20 S\u00f5"), "F 11 0 F 50 60 F1"},
         {"3 controls added: 1 scoring control, 1 start, 1 finish", "Start (S): S\u00f5; also in the file, not added: S2, S3",
          "Finish (F): F1; also in the file, not added: F2", "Map: the file has no map reference; the map settings stay as they were"}},
        // Points without a code, and a code repeated: named once each.
        {"<StartPoint><StartPointCode> </StartPointCode><MapPosition x='1' y='2'/></StartPoint>"
         "<StartPoint><StartPointCode>S2</StartPointCode><MapPosition x='3' y='4'/></StartPoint>"
         "<StartPoint><StartPointCode>S2</StartPointCode><MapPosition x='3' y='4'/></StartPoint>"
         "<StartPoint><StartPointCode></StartPointCode><MapPosition x='3' y='4'/></StartPoint>"
         "<FinishPoint><MapPosition x='5' y='6'/></FinishPoint>",
         {"31 31 3 C 10 10 P:31", "S 10 0 S 10 20 ", "F 11 0 F 50 60 "},
         {"3 controls added: 1 scoring control, 1 start, 1 finish", "Start (S): (no code); also in the file, not added: S2, (no code)",
          "Finish (F): (no code)", "Map: the file has no map reference; the map settings stay as they were"}},
        {"", {"31 31 3 C 10 10 P:31"},
         {"1 control added: 1 scoring control, 0 start, 0 finish", "Map: the file has no map reference; the map settings stay as they were"}},
    };
    for (const auto &c : cases) {
        data->connection().exec(QStringLiteral("DELETE FROM control"));
        QByteArray bytes = "<CourseData><Control><ControlCode>31</ControlCode><MapPosition x='1' y='1'/></Control>";
        bytes += QString::fromUtf8(c.points).toUtf8() + "</CourseData>";
        const CourseData course = ImportCourseData(*data, file(bytes), false);
        EXPECT_EQ(controls(), c.rows) << c.points;
        EXPECT_EQ(CourseImportSummary(course), c.summary) << c.points;
    }
}

TEST_F(CourseDataImport, AFileThatIsNotWellFormedChangesNothing)
{
    // The controls before the fault are in the file already: none of them is stored.
    const QString fileName = file(R"(<CourseData>
  <Control><ControlCode>31</ControlCode><MapPosition x="1" y="2"/></Control>
  <Control><ControlCode>32</ControlCode><MapPosition x="1" y="2"/></Control>
  <Control><ControlCode>33</Control>
</CourseData>)");
    InsertControlRows(*data, {StartRow(QStringLiteral("Start"))});
    const QString message = refusal(fileName);
    EXPECT_TRUE(message.contains(fileName)) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("is not a well-formed XML file"))) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("line 4"))) << message.toStdString();
    EXPECT_EQ(controls(), QStringList({"S 10 0 S -1 -1 Start"}));
}

TEST_F(CourseDataImport, RefusalsNameTheFileAndWhatIsWrong)
{
    struct Case
    {
        QByteArray bytes;
        const char *why;
    };
    const Case cases[] = {
        {"<ResultList><Control><ControlCode>31</ControlCode></Control></ResultList>", "the file holds ResultList, not IOF XML 2.0.3 CourseData"},
        {"<CourseData iofVersion=\"3.0\"><Control/></CourseData>", "IOF XML 3.0"},
        {"<CourseData><Control><ControlCode>31</ControlCode></Control><Control><ControlCode>A1</ControlCode></Control></CourseData>",
         "the ControlCode of Control 2 \"A1\" is not a number"},
        {"<CourseData><Control><ControlCode>31</ControlCode><MapPosition x=\"12,5\" y=\"1\"/></Control></CourseData>",
         "the MapPosition x of control 31 (Control 1) \"12,5\" is not a number"},
        {"<CourseData><StartPoint><MapPosition x=\"1e3\"/></StartPoint></CourseData>", "\"1e3\" is not a number"},
        {"<CourseData><Control><ControlCode>100000</ControlCode></Control></CourseData>", "the ControlCode \"100000\" is outside 0 to 99999"},
        {"<CourseData><Control><ControlCode>-4</ControlCode></Control></CourseData>", "outside 0 to 99999"},
        {"<CourseData><Map><Scale/></Map><Control><ControlCode>4</ControlCode></Control></CourseData>", "the map Scale \"\" is not a scale"},
        {"<CourseData><Map><Scale>fine</Scale></Map></CourseData>", "the map Scale \"fine\" is not a number"},
        {"<CourseData><Map><Scale>0.5</Scale></Map></CourseData>", "the map Scale \"0.5\" is not a whole number from 1 to 1000000"},
        {"<CourseData><Map><Scale>7500.5</Scale></Map></CourseData>", "the map Scale \"7500.5\" is not a whole number from 1 to 1000000"},
        {"<CourseData><Map><Scale>1000001</Scale></Map></CourseData>", "the map Scale \"1000001\" is not a whole number from 1 to 1000000"},
        {"<CourseData><Control><ControlCode>4</ControlCode><MapPosition x=\"12345678901234567\"/></Control></CourseData>", "is too large"},
    };
    for (const Case &c : cases) {
        const QString fileName = file(c.bytes);
        const QString message = refusal(fileName);
        EXPECT_TRUE(message.startsWith(QStringLiteral("Cannot import ") + fileName + QStringLiteral(": "))) << message.toStdString();
        EXPECT_TRUE(message.contains(QString::fromUtf8(c.why))) << message.toStdString();
    }
    EXPECT_TRUE(refusal(folderOf(dir) + QStringLiteral("missing.xml")).contains(QStringLiteral("missing.xml")));
    // A device would be read without end.
    EXPECT_TRUE(refusal(QStringLiteral("/dev/zero")).contains(QStringLiteral("/dev/zero: it is not a plain file")));
    EXPECT_TRUE(controls().isEmpty());
}

TEST_F(CourseDataImport, AFailureBeforeTheCommitAddsNoRow)
{
    const QString fileName = file(smallCourse);
    EXPECT_THROW(ImportCourseData(*data, fileName, false, [](const CourseData &) { throw KorventError(QStringLiteral("settings")); }),
                 KorventError);
    EXPECT_TRUE(controls().isEmpty());
}

TEST_F(CourseDataImport, CancelledItAddsNoRowAndSavesNoMapReference)
{
    CreateControls(*data, 31, 32, false, false);
    const QStringList before = DatabaseDump(data->connection());
    const QString fileName = file(smallCourse);
    // A look after each of the five rows, then one before the map reference is saved.
    for (const int stopAtLook : {2, 6}) {
        SCOPED_TRACE(stopAtLook);
        RecordedProgress progress;
        progress.stopAtLook = stopAtLook;
        bool saved = false;
        EXPECT_THROW(ImportCourseData(*data, fileName, false, [&](const CourseData &) { saved = true; }, progress), WorkCancelled);
        EXPECT_FALSE(saved);
        EXPECT_EQ(DatabaseDump(data->connection()), before);
        EXPECT_EQ(progress.disorder(), QString());
    }

    RecordedProgress progress;
    ImportCourseData(*data, fileName, false, {}, progress);
    EXPECT_EQ(controls().size(), 4 + 5);
    EXPECT_EQ(progress.steps.back().done, 5);
    EXPECT_EQ(progress.steps.back().total, 5);
}
