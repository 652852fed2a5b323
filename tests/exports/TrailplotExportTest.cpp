#include "SettingsFileFailure.h"
#include "scoring/ScoringFixture.h"
#include "EventRows.h"
#include "exports/MapPicture.h"

#include "base/KorventError.h"
#include "registry/ReportRegistry.h"
#include "store/StatusTexts.h"

namespace {

struct TrailplotFixture : ScoringFixture
{
    MemoryReportOutput output;

    void SetUp() override
    {
        ScoringFixture::SetUp();
        writeFile(folderOf(dir) + QStringLiteral("rogainmap.gif"), gifPicture(300, 420));
    }
    void placed(const QString &code, const QString &type, qint64 x, qint64 y, qint64 points = 0)
    {
        insertRow(*data, QStringLiteral("control"), {{"controlnr", code}, {"type", type}, {"pos_x", x}, {"pos_y", y}, {"points", points}});
    }
    void run()
    {
        RunReport(ReportKindOf(ReportKind::Trailplot), {data->connection(), setup, output, &messages, folderOf(dir)}, {});
    }
    QStringList lines(const QString &name)
    {
        const QByteArray bytes = output.bytes({ReportFolder::Event, name});
        EXPECT_TRUE(bytes.isEmpty() || bytes.endsWith("\r\n")) << name.toStdString();
        QStringList lines = QString::fromUtf8(bytes).split(QStringLiteral("\r\n"));
        lines.removeLast();
        return lines;
    }
    QString failure()
    {
        try {
            run();
        } catch (const KorventError &error) {
            return error.message();
        }
        return QString();
    }
};

} // namespace

TEST_F(TrailplotFixture, PointsArePixelsFromTheStartAtTheOffsets)
{
    // 150 DPI: 1000 tenths of a millimetre are 590 pixels, 500 are 295.
    placed(QStringLiteral("S"), QStringLiteral("S"), 1000, 500);
    placed(QStringLiteral("31"), QStringLiteral("C"), 1254, 254);
    placed(QStringLiteral("32"), QStringLiteral("C"), -1, -1);
    placed(QStringLiteral("F"), QStringLiteral("F"), 1000, 500);
    placed(QStringLiteral("I"), QStringLiteral("I"), 0, 0);
    placed(QStringLiteral("O"), QStringLiteral("O"), 2540, 0);
    placed(QStringLiteral("W"), QStringLiteral("W"), 254, 2540);
    setup.settings.mapScale = 25000;
    run();
    EXPECT_TRUE(output.committed());
    EXPECT_EQ(output.files(), QList<ReportFile>({{ReportFolder::Event, QStringLiteral("rogainmap.rada")},
                                                 {ReportFolder::Event, QStringLiteral("rogainmap.txt")}}));
    EXPECT_EQ(lines(QStringLiteral("rogainmap.rada")), QStringList({
        "[general]", "map=rogainmap.gif", "route=1", "dpi=150", "mastap=25000", "points=7", "mapX=0", "mapY=420", "[points]",
        "1=150|145|7|()31",
        "2=-590|295|7|()32",
        "3=0|0|6|Finis",
        "4=-590|295|7|()2",
        "5=910|295|7|()3",
        "6=0|0|0|Start",
        "7=-440|-1205",
    }));
}

TEST_F(TrailplotFixture, WithoutStartTheOffsetsAreTheOrigin)
{
    placed(QStringLiteral("31"), QStringLiteral("C"), 254, 254);
    setup.settings.mapDpi = 300;
    setup.settings.mapOffsetX = -20;
    setup.settings.mapOffsetY = 400;
    run();
    const QStringList points = lines(QStringLiteral("rogainmap.rada"));
    EXPECT_EQ(points.value(3), QStringLiteral("dpi=300"));
    EXPECT_EQ(points.value(9), QStringLiteral("1=280|100|7|()31"));
}

TEST_F(TrailplotFixture, RoutesOfCalculatedTeamsInTimeOrder)
{
    control(QStringLiteral("31"), 30);
    control(QStringLiteral("45"), 40);
    control(QStringLiteral("F"), 0, QStringLiteral("F"));
    control(QStringLiteral("I"), 0, QStringLiteral("I"));
    control(QStringLiteral("O"), 0, QStringLiteral("O"));
    const qint64 finished = team(1, QStringLiteral("H6"), QStringLiteral("Owls"));
    const qint64 a = runner(finished);
    punch(finished, a, QStringLiteral("45"), QStringLiteral("13:00:00"));
    punch(finished, a, QStringLiteral("31"), QStringLiteral("10:30:00"));
    punch(finished, a, QStringLiteral("I"), QStringLiteral("12:00:00"));
    punch(finished, a, QStringLiteral("O"), QStringLiteral("12:20:00"));
    punch(finished, a, QStringLiteral("F"), QStringLiteral("15:00:00"));
    ASSERT_TRUE(calculate(1));

    const qint64 never = team(2);
    punch(never, runner(never), QStringLiteral("31"), QStringLiteral("10:30:00"));

    const qint64 disqualified = team(3, QStringLiteral("H6"), QStringLiteral("Hares"));
    punch(disqualified, runner(disqualified), QStringLiteral("31"), QStringLiteral("10:30:00"));
    updateRow(*data, QStringLiteral("team"), disqualified, {{"status", TeamDSQ}, {"result", -TeamDSQ}, {"calctime", DateTime::now()}});

    run();
    EXPECT_EQ(lines(QStringLiteral("rogainmap.txt")), QStringList({
        "70\tOwls/H6\t31\t3\t2\t45\t",
        "-5\tHares/H6\t",
    }));
    EXPECT_TRUE(messages.errors.isEmpty());
}

TEST_F(TrailplotFixture, ATeamSharingAnEarlierNumberGetsNoRouteOfTheOther)
{
    control(QStringLiteral("31"), 30);
    control(QStringLiteral("F"), 0, QStringLiteral("F"));
    const qint64 first = team(4, QStringLiteral("H6"), QStringLiteral("Owls"));
    const qint64 a = runner(first);
    punch(first, a, QStringLiteral("31"), QStringLiteral("10:30:00"));
    punch(first, a, QStringLiteral("F"), QStringLiteral("11:00:00"));
    ASSERT_TRUE(calculate(4));
    const qint64 second = team(4, QStringLiteral("H6"), QStringLiteral("Hares"));
    updateRow(*data, QStringLiteral("team"), second, {{"result", 0}, {"calctime", DateTime::now()}});
    run();
    EXPECT_EQ(lines(QStringLiteral("rogainmap.txt")), QStringList({"30\tOwls/H6\t31\t", "0\tHares/H6\t"}));
    EXPECT_EQ(messages.warnings, QStringList({"Team \"Hares\" shares the number 4 with another team; its splits are left out"}));
}

TEST_F(TrailplotFixture, ATeamWithoutNumberGetsALineWithoutRoute)
{
    control(QStringLiteral("31"), 30);
    const qint64 unnumbered = insertRow(*data, QStringLiteral("team"), {{"name", "Owls"}, {"class", "H6"}, {"result", 30},
                                                                       {"calctime", DateTime::now()}});
    const qint64 a = runner(unnumbered);
    punch(unnumbered, a, QStringLiteral("31"), QStringLiteral("10:30:00"));
    punch(unnumbered, a, QStringLiteral("F"), QStringLiteral("11:00:00"));
    run();
    EXPECT_EQ(lines(QStringLiteral("rogainmap.txt")), QStringList({"30\tOwls/H6\t"}));
    EXPECT_TRUE(messages.warnings.isEmpty()) << messages.warnings.join(u'\n').toStdString();
}

TEST_F(TrailplotFixture, ALineBreakInANameDoesNotSplitTheTeamsLine)
{
    const qint64 id = insertRow(*data, QStringLiteral("team"), {{"number", 5}, {"name", "Ha\r\nres"}, {"class", "H6\n"}, {"result", 0},
                                                               {"calctime", DateTime::now()}});
    runner(id);
    run();
    EXPECT_EQ(lines(QStringLiteral("rogainmap.txt")), QStringList({"0\tHa  res/H6 \t"}));
}

TEST_F(TrailplotFixture, AMapNameWithoutDotGivesBareExtensions)
{
    setup.settings.mapFileName = QStringLiteral("map");
    writeFile(folderOf(dir) + QStringLiteral("map"), gifPicture(10, 20));
    run();
    EXPECT_EQ(output.files(), QList<ReportFile>({{ReportFolder::Event, QStringLiteral(".rada")}, {ReportFolder::Event, QStringLiteral(".txt")}}));
    EXPECT_EQ(lines(QStringLiteral(".rada")).value(5), QStringLiteral("points=0"));
    EXPECT_TRUE(lines(QStringLiteral(".txt")).isEmpty());
}

TEST_F(TrailplotFixture, WhatStopsTheExportWritesNothing)
{
    placed(QStringLiteral("S"), QStringLiteral("S"), 0, 0);
    const struct
    {
        const char *setting;
        const char *value;
        const char *message;
    } cases[] = {
        {"eMap_Filename", "missing.gif", "No MAP file"},
        {"eMap_Filename", "", "No MAP file"},
        {"eMap_DPI", "150dpi", "DPI: (eMap_DPI): \"150dpi\" is not a whole number from 1 to 10000 (digits only)"},
        {"eMap_DPI", "150.5", "DPI: (eMap_DPI): \"150.5\" is not a whole number from 1 to 10000 (digits only)"},
        {"eMap_OffsetX", "", "Start Offset (pix) x (eMap_OffsetX): \"\" is not a whole number from -1000000 to 1000000 (digits, a minus sign in front if below zero)"},
        {"eMap_OffsetY", "1.5", "Start Offset (pix) y (eMap_OffsetY): \"1.5\" is not a whole number from -1000000 to 1000000 (digits, a minus sign in front if below zero)"},
    };
    for (const auto &c : cases) {
        const EventSettings original = setup.settings;
        if (FindSetting(QLatin1String(c.setting))->kind == SettingKind::MapNumber) {
            // A map number setup.ini holds and nothing could read: the event
            // opens on its default, and the export refuses, naming it.
            EXPECT_EQ(takeSettingFromFile(setup.settings, folderOf(dir), c.setting, QLatin1String(c.value)), QLatin1String(c.message)) << c.setting;
            EXPECT_EQ(failure(), EventSettings::fileName(folderOf(dir)) + QStringLiteral(": ") + QLatin1String(c.message)) << c.setting;
            setup.settings = original;
            continue;
        }
        SetSettingText(setup.settings, *FindSetting(QLatin1String(c.setting)), QLatin1String(c.value));
        EXPECT_EQ(failure(), QLatin1String(c.message)) << c.setting;
        setup.settings = original;
    }
    writeFile(folderOf(dir) + QStringLiteral("rogainmap.gif"), "not a picture");
    EXPECT_TRUE(failure().startsWith(QStringLiteral("Cannot read the map picture ") + folderOf(dir) + QStringLiteral("rogainmap.gif")));
    EXPECT_TRUE(output.files().isEmpty());
    EXPECT_FALSE(output.committed());
}

TEST_F(TrailplotFixture, PixelPositionsBeyondSixtyFourBitsAreRefusedNotWrittenWrong)
{
    // Map numbers are bounded where they are read; positions edited by hand in the database are not.
    placed(QStringLiteral("S"), QStringLiteral("S"), 1, 1);
    placed(QStringLiteral("31"), QStringLiteral("C"), 2000, 500);
    const struct
    {
        const char *dpi;
        const char *offsetX;
        qint64 x;
        const char *message;
    } cases[] = {
        {"10000", "0", 4'000'000'000'000'000'000,
         "Control 31 at 4000000000000000000, 500 has no pixel position a whole number can hold with DPI 10000 and these start offsets"},
        {"150", "-1000000", -9'223'372'036'854'775'807,
         "Control 31 at -9223372036854775807, 500 has no pixel position a whole number can hold with DPI 150 and these start offsets"},
        {"100000000000000000", "0", 2000, "DPI: (eMap_DPI): \"100000000000000000\" is not a whole number from 1 to 10000 (digits only)"},
        {"-9223372036854775807", "0", 2000, "DPI: (eMap_DPI): \"-9223372036854775807\" is not a whole number from 1 to 10000 (digits only)"},
        {"150", "9223372036854775807", 2000,
         "Start Offset (pix) x (eMap_OffsetX): \"9223372036854775807\" is not a whole number from -1000000 to 1000000 (digits, a minus sign in front if below zero)"},
    };
    for (const auto &c : cases) {
        const EventSettings original = setup.settings;
        try {
            SetSettingText(setup.settings, SettingOf(&EventSettings::mapDpi), QLatin1String(c.dpi));
            SetSettingText(setup.settings, SettingOf(&EventSettings::mapOffsetX), QLatin1String(c.offsetX));
        } catch (const KorventError &error) {
            EXPECT_EQ(error.message(), QLatin1String(c.message)) << c.dpi;
            continue;
        }
        data->connection().exec(QStringLiteral("UPDATE control SET pos_x=? WHERE controlnr='31'"), {c.x});
        EXPECT_EQ(failure(), QLatin1String(c.message)) << c.dpi;
        setup.settings = original;
    }
    EXPECT_TRUE(output.files().isEmpty());
}
