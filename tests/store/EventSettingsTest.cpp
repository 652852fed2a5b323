#include "SettingsFileFailure.h"
#include "TestFolder.h"

#include "store/ClassTable.h"
#include "store/EventSettings.h"
#include "store/EventSetup.h"
#include "store/MapHelpers.h"
#include "base/IniFile.h"
#include "base/KorventError.h"
#include "QDateTimeOf.h"

#include <gtest/gtest.h>
#include <thread>

TEST(EventSettings, DefaultsOfEveryKind)
{
    const EventSettings settings;
    EXPECT_EQ(settings.controlCard, 0);
    EXPECT_EQ(settings.eventDate, QDateTime(QDate(2008, 9, 1), QTime(0, 0)));
    EXPECT_EQ(settings.newClassMaximumTime, std::chrono::hours(12));
    EXPECT_EQ(settings.newClassPenaltyTime, std::chrono::minutes(30));
    EXPECT_EQ(settings.sunrise, std::chrono::seconds(0));
    EXPECT_TRUE(settings.checkInOutControls);
    EXPECT_TRUE(settings.iofXml3);
    EXPECT_FALSE(settings.multiReadout);
    EXPECT_EQ(settings.penaltyPoints, -1);
    EXPECT_EQ(settings.penaltySpanSeconds, 60);
    EXPECT_EQ(settings.punchWindowSeconds, -1);
    EXPECT_EQ(settings.serverPort, 6001);
    EXPECT_EQ(settings.maxConnections, 5);
    EXPECT_EQ(settings.livePort, 8080);
    EXPECT_EQ(settings.mapScale, 30000);
    EXPECT_EQ(settings.mapDpi, 150);
    EXPECT_EQ(settings.mapFileName, QStringLiteral("rogainmap.gif"));
    EXPECT_EQ(settings.courseMapWidth, 500);
    EXPECT_EQ(SettingDefinitions().size(), 42u);
}

TEST(EventSettings, SaveRewritesTheSectionAndLoadReadsItBack)
{
    QTemporaryDir dir;
    const QString event = folderOf(dir);
    writeFile(event + QStringLiteral("setup.ini"), "[fEventInfo]\r\nleName=Old\r\nnoSuchControl=1\r\n[other]\r\nkeep=yes\r\n");
    EventSettings settings = EventSettings::load(event);
    EXPECT_EQ(settings.eventName, QStringLiteral("Old"));
    settings.eventName = QStringLiteral("Rogaine, Summer 2026");
    settings.eventDate = QDateTime(QDate(2026, 7, 4), QTime(0, 0));
    settings.multiReadout = true;
    settings.punchWindowSeconds = 120;
    settings.sunrise = std::chrono::hours(5) + std::chrono::minutes(30);
    settings.newClassMaximumTime = std::chrono::hours(100);
    settings.mapScale = 0;
    settings.mapOffsetY = -1779;
    settings.save(event);

    const IniFile ini(EventSettings::fileName(event));
    EXPECT_FALSE(ini.hasKey(QStringLiteral("fEventInfo"), QStringLiteral("noSuchControl")));
    EXPECT_EQ(ini.readString(QStringLiteral("other"), QStringLiteral("keep")), QStringLiteral("yes"));
    EXPECT_EQ(ini.readString(QStringLiteral("fEventInfo"), QStringLiteral("dtpDate")), QStringLiteral("2026-07-04 00:00:00"));
    EXPECT_EQ(ini.readString(QStringLiteral("fEventInfo"), QStringLiteral("cbMultiReadout")), QStringLiteral("1"));
    EXPECT_EQ(ini.keys(QStringLiteral("fEventInfo")).size(), static_cast<int>(SettingDefinitions().size()));
    // Times and map numbers are written as the fields show them.
    for (const auto &[key, text] : {std::pair{"meSunrise", "05:30:00"}, std::pair{"meControlTime", "100:00:00"}, std::pair{"mePenaltyTime", "00:30:00"},
                                    std::pair{"eMap_Scale", ""}, std::pair{"eMap_DPI", "150"}, std::pair{"eMap_OffsetY", "-1779"}})
        EXPECT_EQ(ini.readString(QStringLiteral("fEventInfo"), QLatin1String(key)), QLatin1String(text)) << key;

    const EventSettings again = EventSettings::load(event);
    EXPECT_EQ(again.eventName, QStringLiteral("Rogaine, Summer 2026"));
    EXPECT_EQ(again.eventDate.date(), QDate(2026, 7, 4));
    EXPECT_TRUE(again.multiReadout);
    EXPECT_EQ(again.punchWindowSeconds, 120);
    EXPECT_EQ(again.sunrise, std::chrono::hours(5) + std::chrono::minutes(30));
    EXPECT_EQ(again.newClassMaximumTime, std::chrono::hours(100));
    EXPECT_EQ(again.mapScale, 0);
    EXPECT_EQ(again.mapOffsetY, -1779);
}

TEST(EventSettings, ClockTimesReadFromTheFileAsTheirReadersAlwaysTookThem)
{
    // Files written by hand or by older programs: what every reader of a
    // time took is taken with the same meaning; what none could read is
    // refused, naming the file, the key and the text.
    QTemporaryDir dir;
    const QString event = folderOf(dir);
    const struct { const char *text; std::optional<qint64> seconds; } cases[] = {
        {"05:30:00", 5 * 3600 + 30 * 60},
        {"  :  :  ", 0},           // a field left blank
        {"5:30:00", 5 * 3600 + 30 * 60},
        {"10:61:00", 11 * 3600 + 60},
        {"25:00:00", 25 * 3600},
        {"", std::nullopt},
        {"xx", std::nullopt},
        {"999999999999999999:00:00", std::nullopt},
    };
    for (const auto &c : cases) {
        const QString failure = settingsFileFailure(event, "meSunSet", QLatin1String(c.text));
        if (c.seconds) {
            EXPECT_TRUE(failure.isEmpty()) << c.text << ": " << failure.toStdString();
            EXPECT_EQ(EventSettings::load(event).sunset.count(), *c.seconds) << c.text;
        } else {
            EXPECT_EQ(failure, QStringLiteral("Sunset (meSunSet): \"%1\" is not a clock time of the form 00:00:00").arg(QLatin1String(c.text)));
        }
    }
}

TEST(EventSettings, UnreadableValuesKeepDefaultsAndNumbersStayInRange)
{
    QTemporaryDir dir;
    writeFile(folderOf(dir) + QStringLiteral("setup.ini"),
              "[fEventInfo]\r\nsePunchWindow=lots\r\nseMaxConnections=1000\r\nsePenaltyPoints=5\r\ndtpDate=someday\r\nrgControlCard=7\r\n");
    const EventSettings settings = EventSettings::load(folderOf(dir));
    EXPECT_EQ(settings.punchWindowSeconds, -1);
    EXPECT_EQ(settings.maxConnections, 100);
    EXPECT_EQ(settings.penaltyPoints, 0);
    EXPECT_EQ(settings.eventDate, QDateTime(QDate(2008, 9, 1), QTime(0, 0)));
    EXPECT_EQ(settings.controlCard, 1);
}

TEST(EventSettings, SettingFromTextChecksKindAndRange)
{
    const struct { const char *key; const char *text; bool accepted; } cases[] = {
        {"leName", "Any text, even with = and ;", true},
        {"sePunchWindow", "-1", true},
        {"sePunchWindow", "99999", true},
        {"sePunchWindow", "100000", false},
        {"sePunchWindow", "-2", false},
        {"sePunchWindow", "ten", false},
        {"sePenaltySeconds", "0", false},
        {"seServerDataIn", "1023", false},
        {"seLivePort", "80", true},
        {"seLivePort", "65536", false},
        {"cbXML3Format", "0", true},
        {"cbXML3Format", "yes", false},
        {"rgControlCard", "1", true},
        {"rgControlCard", "2", false},
        {"meSunSet", "21:30:00", true},
        {"meSunSet", "21:30", false},
        {"meSunSet", "21:60:00", false},
        {"meSunSet", "21:30:60", false},
        {"meSunSet", "99:59:59", true},
        {"meSunSet", "  :  :  ", false},
        {"meControlTime", "012:00:00", true},
        {"meControlTime", "12:00:00", false},
        {"dtpDate", "2026-07-04 00:00:00", true},
        {"dtpDate", "04.07.2026", false},
        // Map numbers: what a real map can need, nothing that overflows a distance.
        {"eMap_Scale", "15000", true},
        {"eMap_Scale", "7500.5", false},
        {"eMap_Scale", "", true},
        {"eMap_Scale", "1000000", true},
        {"eMap_Scale", "1000001", false},
        {"eMap_Scale", "0", false},
        {"eMap_Scale", "123456789012345", false},
        {"eMap_Scale", "1:15000", false},
        {"eMap_DPI", "10000", true},
        {"eMap_DPI", "10001", false},
        {"eMap_DPI", "-150", false},
        {"eMap_OffsetX", "-105", true},
        {"eMap_OffsetY", "-1000001", false},
        {"eMap_OffsetY", "999999999999999", false},
    };
    for (const auto &c : cases) {
        EventSettings settings;
        const SettingDefinition *definition = FindSetting(QLatin1String(c.key));
        ASSERT_TRUE(definition) << c.key;
        if (c.accepted) {
            EXPECT_NO_THROW(SetSettingText(settings, *definition, QLatin1String(c.text))) << c.key << "=" << c.text;
            EXPECT_EQ(SettingText(settings, *definition), QLatin1String(c.text)) << c.key;
        } else {
            try {
                SetSettingText(settings, *definition, QLatin1String(c.text));
                ADD_FAILURE() << c.key << "=" << c.text << " was accepted";
            } catch (const KorventError &error) {
                EXPECT_TRUE(error.message().contains(QLatin1String(c.key))) << error.message().toStdString();
            }
        }
    }
    EXPECT_EQ(FindSetting(QStringLiteral("lename")), nullptr);
}

TEST(EventSettings, MapNumbersReadTheSameWhereSetAndWhereUsed)
{
    // What `settings set` and the setup window accept is what is read from
    // setup.ini, as the number every map reader (route maps, Trailplot, map
    // file, distances) takes: a text refused in one place is never read as
    // some other number in another.
    QTemporaryDir dir;
    const std::optional<qint64> refused;
    const struct { const char *key; const char *text; bool accepted; std::optional<qint64> read; qint64 metres; } cases[] = {
        {"eMap_Scale", "15000", true, 15000, 15000},
        {"eMap_Scale", "015000", true, 15000, 15000},
        {"eMap_Scale", "1000000", true, 1000000, 1000000},
        {"eMap_Scale", "", true, 0, 0}, // no distances
        {"eMap_Scale", "+15000", false, refused, 0},
        {"eMap_Scale", "\t15000", false, refused, 0},
        {"eMap_Scale", " 15000", false, refused, 0},
        {"eMap_Scale", "15000 ", false, refused, 0},
        {"eMap_Scale", "15000.0", true, 15000, 15000}, // as older course imports stored it
        {"eMap_Scale", "15000.", false, refused, 0},
        {"eMap_Scale", "15000.01", false, refused, 0},
        {"eMap_Scale", "0.5", false, refused, 0},
        {"eMap_Scale", "-15000", false, refused, 0},
        {"eMap_Scale", "0", false, refused, 0},
        {"eMap_Scale", "15 000", false, refused, 0},
        {"eMap_Scale", "\uff11\uff15000", false, refused, 0}, // full-width digits
        {"eMap_DPI", "150", true, 150, 0},
        {"eMap_DPI", "10000", true, 10000, 0},
        {"eMap_DPI", "", false, refused, 0},
        {"eMap_DPI", "150.5", false, refused, 0},
        {"eMap_DPI", "+150", false, refused, 0},
        {"eMap_DPI", "-150", false, refused, 0},
        {"eMap_DPI", "0", false, refused, 0},
        {"eMap_DPI", "150dpi", false, refused, 0},
        {"eMap_OffsetX", "822", true, 822, 0},
        {"eMap_OffsetX", "-822", true, -822, 0},
        {"eMap_OffsetX", "0", true, 0, 0},
        {"eMap_OffsetX", "822.0", true, 822, 0},
        {"eMap_OffsetX", "-822.00", true, -822, 0},
        {"eMap_OffsetX", ".0", false, refused, 0},
        {"eMap_OffsetX", "+822", false, refused, 0},
        {"eMap_OffsetX", "--822", false, refused, 0},
        {"eMap_OffsetX", "-", false, refused, 0},
        {"eMap_OffsetX", "", false, refused, 0},
        {"eMap_OffsetY", "-1000000", true, -1000000, 0},
        {"eMap_OffsetY", "1000001", false, refused, 0},
        {"eMap_OffsetY", "99999999999999999999", false, refused, 0},
        {"eMap_OffsetY", "\t-5", false, refused, 0},
    };
    for (const auto &c : cases) {
        const QString text = QString::fromUtf8(c.text);
        const SettingDefinition *definition = FindSetting(QLatin1String(c.key));
        ASSERT_TRUE(definition) << c.key;
        EventSettings checked;
        bool accepted = true;
        try {
            SetSettingText(checked, *definition, text);
        } catch (const KorventError &error) {
            accepted = false;
            EXPECT_TRUE(error.message().contains(QLatin1String(c.key))) << error.message().toStdString();
        }
        EXPECT_EQ(accepted, c.accepted) << c.key << "=\"" << c.text << '"';

        if (accepted) {
            EXPECT_EQ(checked.*std::get<qint64 EventSettings::*>(definition->member), c.read) << c.key << "=\"" << c.text << '"';
        }

        // As a setup.ini edited by hand holds it.
        const QString failure = settingsFileFailure(folderOf(dir), c.key, text);
        if (c.read) {
            EXPECT_TRUE(failure.isEmpty()) << c.key << "=\"" << c.text << "\": " << failure.toStdString();
        } else {
            EXPECT_TRUE(failure.contains(QLatin1String(c.key) + QStringLiteral("): \"") + text + u'"')) << failure.toStdString();
        }
        if (definition->member == SettingMember(&EventSettings::mapScale)) {
            EXPECT_EQ(MapUnitsToMeters(10'000, failure.isEmpty() ? EventSettings::load(folderOf(dir)).mapScale : 0), c.metres) << c.text;
        }
    }
}

TEST(EventSettings, EventStartIsTheDayAtTheFirstStartTime)
{
    EventSettings settings;
    settings.eventDate = QDateTime(QDate(2026, 7, 4), QTime(15, 30));
    settings.firstStart = std::chrono::hours(10);
    EXPECT_EQ(qDateTimeOf(settings.EventStartDateTime()), QDateTime(QDate(2026, 7, 4), QTime(10, 0)));
}

TEST(SharedEventSetup, ASnapshotNeverChangesUnderItsReader)
{
    SharedEventSetup shared;
    const auto before = shared.snapshot();
    std::thread writer([&] {
        for (int i = 0; i < 200; ++i) {
            EventSetup next;
            next.settings.eventName = QString::number(i);
            next.settings.headingDate = QString::number(i);
            shared.publish(next);
        }
    });
    for (int i = 0; i < 200; ++i) {
        const auto now = shared.snapshot();
        EXPECT_EQ(now->settings.eventName, now->settings.headingDate);
    }
    writer.join();
    EXPECT_TRUE(before->settings.eventName.isEmpty());
    EXPECT_EQ(shared.snapshot()->settings.eventName, QStringLiteral("199"));
}

TEST(SharedEventSetup, FollowingAFolderTakesInWhatAnotherProgramWrote)
{
    QTemporaryDir dir;
    const QString event = folderOf(dir);
    EventSettings::update(event, [](EventSettings &settings) { settings.eventName = QStringLiteral("First"); });
    const SharedEventSetup shared(event);
    const auto first = shared.snapshot();
    EXPECT_EQ(first->settings.eventName, QStringLiteral("First"));
    EXPECT_EQ(shared.snapshot(), first); // files unchanged: not read again

    EventSettings::update(event, [](EventSettings &settings) { settings.penaltyPoints = -3; });
    WriteClassTreeFile(ClassTreeFileName(event), {{QStringLiteral("Ö<*>(10:00:00|006:00:00|00:30:00)"), 0}});
    const auto changed = shared.snapshot();
    EXPECT_EQ(changed->settings.penaltyPoints, -3);
    ASSERT_EQ(changed->classTree.size(), 1u);
    EXPECT_EQ(changed->classTree[0].text, QStringLiteral("Ö<*>(10:00:00|006:00:00|00:30:00)"));
    EXPECT_EQ(first->settings.penaltyPoints, -1); // an earlier snapshot stays as it was
}
