#include "TestFolder.h"
#include "cli/CliRun.h"

#include "base/IniFile.h"
#include "store/EventSettings.h"

#include <QDir>
#include <QImage>
#include <gtest/gtest.h>

namespace {

struct CliControls : ::testing::Test
{
    QTemporaryDir program;
    QString event;

    void SetUp() override
    {
        event = folderOf(program) + QStringLiteral("event/");
        QDir().mkpath(event);
    }
    CliRun run(const QStringList &arguments)
    {
        return runCliIn(program.path(), QStringList({"--event", "event", "controls"}) + arguments);
    }
    QStringList list()
    {
        const CliRun listed = run({"list"});
        EXPECT_EQ(listed.exitCode, 0) << listed.err.toStdString();
        return listed.out.split(u'\n', Qt::SkipEmptyParts);
    }
};

const QByteArray course = R"(<?xml version="1.0" encoding="UTF-8"?>
<CourseData>
  <Map><Scale>10000</Scale><MapPosition x="141.83" y="-177.92"/></Map>
  <StartPoint><StartPointCode>S1</StartPointCode><MapPosition x="168.16" y="-21.42"/></StartPoint>
  <StartPoint><StartPointCode>S2</StartPointCode><MapPosition x="160.0" y="-20.0"/></StartPoint>
  <Control><ControlCode>170</ControlCode><MapPosition x="157.72" y="-0.69"/></Control>
</CourseData>
)";

} // namespace

TEST_F(CliControls, CreateWithTheDefaultsAndListInCodeOrder)
{
    const CliRun created = run({"create", "20", "59"});
    ASSERT_EQ(created.exitCode, 0) << created.err.toStdString();
    EXPECT_EQ(created.out, QStringLiteral("44 controls added\n"));
    const QStringList lines = list();
    ASSERT_EQ(lines.size(), 44);
    EXPECT_EQ(lines.first(), QStringLiteral("   20   20   2 C   -1   -1 P:20"));
    EXPECT_EQ(lines.mid(40), QStringList({"    F   11   0 F   -1   -1 Finish", "    I  200   0 I   -1   -1 CheckIN",
                                          "    O  201   0 O   -1   -1 CheckOUT", "    S   10   0 S   -1   -1 Start"}));
}

TEST_F(CliControls, CreateTakesTheCheckBoxesFromTheSettings)
{
    ASSERT_EQ(runCliIn(program.path(), {"--event", "event", "settings", "set", "cbUnit11=1", "cbCheckInOut=0"}).exitCode, 0);
    ASSERT_EQ(run({"create", "31", "31"}).exitCode, 0);
    EXPECT_EQ(list(), QStringList({"   31   42   3 C   -1   -1 P:31", "    F   11   0 F   -1   -1 Finish", "    S   10   0 S   -1   -1 Start"}));
}

TEST_F(CliControls, ImportAddsTheControlsAndSavesTheMapReference)
{
    writeFile(folderOf(program) + QStringLiteral("course.xml"), course);
    const CliRun imported = run({"import", "course.xml"});
    ASSERT_EQ(imported.exitCode, 0) << imported.err.toStdString();
    EXPECT_EQ(imported.out, QStringLiteral("2 controls added: 1 scoring control, 1 start, 0 finish\n"
                                           "Start (S): S1; also in the file, not added: S2\n"
                                           "Map: scale 1:10000, reference point 1418, -1779 (tenths of a millimetre)\n"
                                           "eMap_Scale=10000\neMap_OffsetX=1418\neMap_OffsetY=-1779\n"));
    EXPECT_EQ(list(), QStringList({"  170  170  17 C 1577   -6 P:170", "    S   10   0 S 1681 -214 S1"}));
    const EventSettings settings = EventSettings::load(event);
    EXPECT_EQ(settings.mapScale, 10000);
    EXPECT_EQ(settings.mapOffsetX, 1418);
    EXPECT_EQ(settings.mapOffsetY, -1779);
    EXPECT_EQ(settings.mapDpi, 150) << "the other settings stay";
}

TEST_F(CliControls, MapfileSavesTheCoursePictureWithTheEventSettings)
{
    writeFile(folderOf(program) + QStringLiteral("course.xml"), course);
    ASSERT_EQ(run({"import", "course.xml"}).exitCode, 0);
    ASSERT_EQ(runCliIn(program.path(), {"--event", "event", "settings", "set", "seMapWidth=200", "eMap_Filename=forest.gif"}).exitCode, 0);
    const CliRun saved = run({"mapfile"});
    ASSERT_EQ(saved.exitCode, 0) << saved.err.toStdString();
    EXPECT_EQ(saved.out, QStringLiteral("event/baseforest.gif\n"));
    EXPECT_EQ(QImage(event + QStringLiteral("baseforest.gif"), "gif").width(), 220);

    const QString notWhole = QStringLiteral("Start Offset (pix) y (eMap_OffsetY): \"1.5\" is not a whole number from -1000000 to 1000000 "
                                            "(digits, a minus sign in front if below zero)\n");
    const CliRun notSet = runCliIn(program.path(), {"--event", "event", "settings", "set", "eMap_OffsetY=1.5"});
    EXPECT_EQ(notSet.exitCode, 1);
    EXPECT_TRUE(notSet.err.endsWith(notWhole)) << notSet.err.toStdString();
    EXPECT_EQ(EventSettings::load(event).mapOffsetY, -1779);
    // As a setup.ini edited by hand holds it: read the same way, refused the same way.
    IniFile edited(EventSettings::fileName(event));
    edited.writeString(EventSettings::sectionName(), QStringLiteral("eMap_OffsetY"), QStringLiteral("1.5"));
    edited.save();
    const CliRun refused = run({"mapfile"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.endsWith(QStringLiteral("korvent-cli: event/setup.ini: ") + notWhole)) << refused.err.toStdString();
    EXPECT_TRUE(refused.out.isEmpty());
    // The rest of the event runs on; the text stays as it stood until it is set.
    ASSERT_EQ(runCliIn(program.path(), {"--event", "event", "settings", "set", "leName=Forest"}).exitCode, 0);
    EXPECT_EQ(IniFile(EventSettings::fileName(event)).readString(EventSettings::sectionName(), QStringLiteral("eMap_OffsetY")), QStringLiteral("1.5"));
    const CliRun listed = runCliIn(program.path(), {"--event", "event", "settings"});
    EXPECT_TRUE(listed.out.contains(QStringLiteral("\neMap_OffsetY=1.5\n")));
    EXPECT_TRUE(listed.err.contains(QStringLiteral("warning: event/setup.ini: ") + notWhole)) << listed.err.toStdString();
    ASSERT_EQ(runCliIn(program.path(), {"--event", "event", "settings", "set", "eMap_OffsetY=-1779"}).exitCode, 0);
    EXPECT_EQ(run({"mapfile"}).exitCode, 0);
}

TEST_F(CliControls, FailuresChangeNothing)
{
    ASSERT_EQ(run({"create", "20", "21"}).exitCode, 0);
    writeFile(folderOf(program) + QStringLiteral("broken.xml"), "<CourseData><Control><ControlCode>31</ControlCode></Control>");
    const CliRun broken = run({"import", "broken.xml"});
    EXPECT_EQ(broken.exitCode, 1);
    EXPECT_TRUE(broken.err.contains(QStringLiteral("korvent-cli: broken.xml is not a well-formed XML file: "))) << broken.err.toStdString();
    EXPECT_TRUE(broken.out.isEmpty());

    // Settings that cannot be written keep the controls out as well.
    writeFile(folderOf(program) + QStringLiteral("course.xml"), course);
    const QString settingsFile = EventSettings::fileName(event);
    QFile::remove(settingsFile); // the new event's own, with its report header
    QDir().mkpath(settingsFile);
    const CliRun unsaved = run({"import", "course.xml"});
    EXPECT_EQ(unsaved.exitCode, 1);
    EXPECT_TRUE(unsaved.err.contains(QStringLiteral("setup.ini"))) << unsaved.err.toStdString();
    QDir().rmdir(settingsFile);

    struct Refusal
    {
        QStringList arguments;
        const char *message;
    };
    const Refusal refusals[] = {
        {{}, "controls needs an action: controls import FILE | create FROM TO | list | mapfile"},
        {{"remove"}, "Unknown controls action \"remove\""},
        {{"import"}, "Wrong arguments for controls import; use: controls import FILE"},
        {{"create", "20"}, "use: controls create FROM TO"},
        {{"create", "20", "x"}, "TO \"x\" is not a whole number"},
        {{"create", "20", "100000"}, "Control number 100000 is outside 0 to 99999"},
        {{"list", "all"}, "use: controls list"},
        {{"mapfile", "x.gif"}, "use: controls mapfile"},
    };
    for (const Refusal &refusal : refusals) {
        const CliRun refused = run(refusal.arguments);
        EXPECT_EQ(refused.exitCode, 1) << refusal.message;
        EXPECT_TRUE(refused.err.contains(QString::fromUtf8(refusal.message))) << refused.err.toStdString();
    }
    EXPECT_EQ(list().size(), 6);
}
