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
    EXPECT_EQ(again.eventDate->date(), QDate(2026, 7, 4));
    EXPECT_TRUE(again.multiReadout);
    EXPECT_EQ(again.punchWindowSeconds, 120);
    EXPECT_EQ(again.sunrise, std::chrono::hours(5) + std::chrono::minutes(30));
    EXPECT_EQ(again.newClassMaximumTime, std::chrono::hours(100));
    EXPECT_EQ(again.mapScale, 0);
    EXPECT_EQ(again.mapOffsetY, -1779);
}

TEST(EventSettings, ClockTimesReadFromTheFileAsTheyAreSet)
{
    // One reading of a clock time: what `settings set` and the setup window
    // refuse is never read from setup.ini as some other time.
    QTemporaryDir dir;
    const QString event = folderOf(dir);
    const struct { const char *key; const char *text; std::optional<qint64> seconds; } cases[] = {
        {"meSunSet", "05:30:00", 5 * 3600 + 30 * 60},
        {"meSunSet", "23:59:59", 24 * 3600 - 1},
        {"meSunSet", "24:00:00", std::nullopt}, // no time of day
        {"meSunSet", "99:59:59", std::nullopt},
        {"meSunrise", "10:60:00", std::nullopt},
        {"meSunrise", "10:00:60", std::nullopt},
        {"meSunrise", "  :  :  ", std::nullopt},
        {"meSunrise", "5:30:00", std::nullopt},
        {"meSunrise", "ab:cd:ef", std::nullopt},
        {"meSunrise", "-1:00:00", std::nullopt},
        {"meSunrise", "\uff11\uff10:00:00", std::nullopt}, // full-width digits
        {"meSunrise", "100:00:00", std::nullopt},
        {"meEventStartTime", "10h00", std::nullopt},
        {"meEventStartTime", "", std::nullopt},
        {"meStartTime", "24:00:00", std::nullopt},
        {"meControlTime", "100:00:00", 100 * 3600}, // a duration, not a time of day
        {"meControlTime", "12:00:00", std::nullopt},
        {"mePenaltyTime", "99:59:59", 99 * 3600 + 59 * 60 + 59},
        {"mePenaltyTime", "999999999999999999:00:00", std::nullopt},
    };
    for (const auto &c : cases) {
        const QString text = QString::fromUtf8(c.text);
        const SettingDefinition &definition = *FindSetting(QLatin1String(c.key));
        QString setRefusal;
        EventSettings set;
        try {
            SetSettingText(set, definition, text);
        } catch (const KorventError &error) {
            setRefusal = error.message();
        }
        const QString failure = settingsFileFailure(event, c.key, text);
        EXPECT_EQ(failure, setRefusal) << c.key << '=' << c.text;
        EXPECT_EQ(failure.isEmpty(), c.seconds.has_value()) << c.key << '=' << c.text << ": " << failure.toStdString();
        const EventSettings loaded = EventSettings::load(event);
        const auto &value = loaded.*std::get<SettingValue<std::chrono::seconds> EventSettings::*>(definition.member);
        if (c.seconds)
            EXPECT_EQ(value->count(), *c.seconds) << c.key << '=' << c.text;
        else
            EXPECT_THROW(*value, KorventError) << c.key << '=' << c.text;
    }
}

TEST(EventSettings, UnreadableValuesAreKeptAsTheyStandAndRefusedWhereNeeded)
{
    // Values of every kind that do not read: never taken for the default,
    // written back as they stood when another setting is set, replaced by a
    // value set in their place.
    QTemporaryDir dir;
    const QString event = folderOf(dir);
    const struct { const char *key; const char *text; const char *valid; } cases[] = {
        {"dtpDate", "13.06.2026", "2026-06-13 00:00:00"},
        {"dtpDate", "2026-02-30 00:00:00", "2026-02-28 00:00:00"},
        {"dtpDate", "x", "2026-06-13 00:00:00"},
        {"rgControlCard", "2", "1"},
        {"seMapWidth", "abc", "800"},
        {"seServerDataIn", "80", "6002"},
        {"seMaxConnections", "1000", "100"},
        {"cbMultiReadout", "yes", "1"},
        {"sePenaltySeconds", "0", "30"},
        {"sePenaltyPoints", "abc", "-2"},
        {"sePenaltyPoints", "5", "0"},
        {"sePunchWindow", "lots", "60"},
        {"meSunrise", "10:60:00", "06:00:00"},
        {"eMap_DPI", "300dpi", "300"},
    };
    for (const auto &c : cases) {
        const QString text = QLatin1String(c.text);
        const SettingDefinition &definition = *FindSetting(QLatin1String(c.key));
        writeFile(EventSettings::fileName(event), QByteArray("[fEventInfo]\r\nleName=Old\r\n") + c.key + '=' + c.text + "\r\n");
        const EventSettings loaded = EventSettings::load(event);
        const UnreadableSetting *kept = UnreadableOf(loaded, definition);
        ASSERT_TRUE(kept) << c.key << '=' << c.text;
        EXPECT_EQ(kept->text, text);
        EXPECT_TRUE(kept->message.startsWith(EventSettings::fileName(event) + QStringLiteral(": ")));
        EXPECT_TRUE(kept->message.contains(QLatin1String(c.key) + QStringLiteral("): \"") + text + u'"')) << kept->message.toStdString();
        EXPECT_EQ(SettingText(loaded, definition), text);
        EXPECT_EQ(loaded.warnings(), QStringList{kept->message});
        // Whatever reads the value refuses with that message.
        std::visit([&](auto member) {
            if constexpr (!std::is_same_v<decltype(member), QString EventSettings::*>) {
                try {
                    (void)*(loaded.*member);
                    ADD_FAILURE() << c.key << '=' << c.text << " was read";
                } catch (const KorventError &error) {
                    EXPECT_EQ(error.message(), kept->message);
                }
            }
        }, definition.member);

        EventSettings::update(event, [](EventSettings &settings) { settings.eventName = QStringLiteral("New"); });
        EXPECT_EQ(IniFile(EventSettings::fileName(event)).readString(QStringLiteral("fEventInfo"), QLatin1String(c.key)), text) << c.key;
        EventSettings::update(event, [&](EventSettings &settings) { SetSettingText(settings, definition, QLatin1String(c.valid)); });
        const EventSettings set = EventSettings::load(event);
        EXPECT_FALSE(UnreadableOf(set, definition)) << c.key;
        EXPECT_EQ(SettingText(set, definition), QLatin1String(c.valid));
        EXPECT_EQ(set.eventName, QStringLiteral("New"));
    }
}

TEST(EventSettings, AnUnreadableEventDayStopsWhatNeedsIt)
{
    QTemporaryDir dir;
    const QString event = folderOf(dir);
    writeFile(EventSettings::fileName(event), "[fEventInfo]\r\ndtpDate=13.06.2026\r\nmeEventStartTime=10h00\r\n");
    const EventSettings settings = EventSettings::load(event);
    try {
        settings.EventStartDateTime();
        ADD_FAILURE() << "an event start made of defaults";
    } catch (const KorventError &error) {
        EXPECT_EQ(error.message(), EventSettings::fileName(event)
                                       + QStringLiteral(": Start date (dtpDate): \"13.06.2026\" is not a date-time of the form YYYY-MM-DD HH:MM:SS"));
    }
    EXPECT_EQ(settings.warnings().size(), 2);
}

TEST(EventSettings, LinesNotReadAreKeptAndNamed)
{
    // A key or the section repeated: only the first is read, the others are
    // neither deleted by a save nor read in place of what was saved.
    QTemporaryDir dir;
    const QString event = folderOf(dir);
    writeFile(EventSettings::fileName(event), "[fEventInfo]\r\nleName=First\r\nleName=Second\r\nseMapWidth=700\r\n"
                                              "[other]\r\nkeep=1\r\n[FEVENTINFO]\r\nleOrganiser=Club\r\n");
    const EventSettings settings = EventSettings::load(event);
    EXPECT_EQ(settings.eventName, QStringLiteral("First"));
    EXPECT_TRUE(settings.organiser.isEmpty());
    ASSERT_EQ(settings.warnings().size(), 1);
    for (const char *line : {"leName=Second", "[FEVENTINFO]", "leOrganiser=Club"})
        EXPECT_TRUE(settings.warnings().constFirst().contains(QLatin1String(line))) << line;

    EventSettings::update(event, [](EventSettings &changed) { changed.eventName = QStringLiteral("Saved"); });
    const QByteArray file = readFile(EventSettings::fileName(event));
    for (const char *line : {"leName=Saved\r\n", "leName=Second\r\n", "[FEVENTINFO]\r\nleOrganiser=Club\r\n", "[other]\r\nkeep=1\r\n"})
        EXPECT_TRUE(file.contains(line)) << line;
    const EventSettings again = EventSettings::load(event);
    EXPECT_EQ(again.eventName, QStringLiteral("Saved"));
    EXPECT_EQ(*again.courseMapWidth, 700);
    EXPECT_EQ(again.warnings().size(), 1);
}

TEST(EventSettings, ASetupFileThatIsNoTextIsRefusedNotReadAsDefaults)
{
    QTemporaryDir dir;
    const QString event = folderOf(dir);
    const QByteArray utf16("\xFF\xFE[\0f\0E\0v\0e\0n\0t\0I\0n\0f\0o\0]\0\r\0\n\0", 28);
    writeFile(EventSettings::fileName(event), utf16);
    for (const auto &attempt : std::initializer_list<std::function<void()>>{
             [&] { EventSettings::load(event); },
             [&] { EventSettings::update(event, [](EventSettings &settings) { settings.eventName = QStringLiteral("X"); }); }}) {
        try {
            attempt();
            ADD_FAILURE() << "read as defaults";
        } catch (const KorventError &error) {
            EXPECT_TRUE(error.message().startsWith(QStringLiteral("Cannot read %1: it is not a text file").arg(EventSettings::fileName(event))))
                << error.message().toStdString();
        }
    }
    EXPECT_EQ(readFile(EventSettings::fileName(event)), utf16);
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
        {"meSunSet", "23:59:59", true},
        {"meSunSet", "99:59:59", false},
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
            EXPECT_EQ(*(checked.*std::get<SettingValue<qint64> EventSettings::*>(definition->member)), c.read) << c.key << "=\"" << c.text << '"';
        }

        // As a setup.ini edited by hand holds it.
        const QString failure = settingsFileFailure(folderOf(dir), c.key, text);
        if (c.read) {
            EXPECT_TRUE(failure.isEmpty()) << c.key << "=\"" << c.text << "\": " << failure.toStdString();
        } else {
            EXPECT_TRUE(failure.contains(QLatin1String(c.key) + QStringLiteral("): \"") + text + u'"')) << failure.toStdString();
        }
        if (definition->member == SettingMember(&EventSettings::mapScale)) {
            EXPECT_EQ(MapUnitsToMeters(10'000, failure.isEmpty() ? *EventSettings::load(folderOf(dir)).mapScale : 0), c.metres) << c.text;
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
