#pragma once

// The event settings: one key per control of the event setup window, kept in
// section fEventInfo of the event's setup.ini. The window edits them; the
// core, the CLI and the readout workers read this value type.

#include "store/DateTime.h"
#include "store/SettingValue.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <variant>
#include <vector>

struct EventSettings
{
    Q_DECLARE_TR_FUNCTIONS(EventSettings)

public:
    // Texts are taken as they stand; every other setting is a SettingValue,
    // which raises KorventError when read while setup.ini held a text for it
    // that did not read.
    QString eventName, headingDate, organiser, eventArea, courseSetter;
    SettingValue<int> controlCard;
    SettingValue<QDateTime> eventDate; // its date part is the event day
    // Clock times of the event day.
    SettingValue<std::chrono::seconds> sunrise, sunset, firstStart;
    // What the next main class added in the setup window gets.
    QString newClassName;
    SettingValue<std::chrono::seconds> newClassStart, newClassMaximumTime, newClassPenaltyTime;
    SettingValue<bool> addMainClass;
    QString extraClasses;
    SettingValue<bool> checkInOutControls, unitNumberPlus11;
    SettingValue<int> penaltyPoints, penaltySpanSeconds, punchWindowSeconds;
    SettingValue<int> serverPort, maxConnections;
    SettingValue<int> livePort; // the Server window's live results
    SettingValue<bool> pushToClients, forwardToServer;
    QString forwardAddress;
    SettingValue<bool> replyDistances;
    QString resultHeader;
    SettingValue<bool> teamRouteMaps, showPunchTimes, showCountry, showClub, resultsFilePerClass, iofXml3;
    // The map: scale 1:mapScale (0: none set, no distances), picture
    // resolution and the picture pixel of the start.
    SettingValue<qint64> mapScale, mapDpi, mapOffsetX, mapOffsetY;
    QString mapFileName;
    SettingValue<int> courseMapWidth;
    SettingValue<bool> multiReadout;

    // What reading setup.ini found that belongs to no one setting: lines it
    // does not read (a key or the section repeated), which are kept in the file.
    QStringList fileWarnings;

    // Every setting at its default.
    EventSettings();

    // Control card kinds of rgControlCard.
    enum { CardPerTeam = 0, CardPerRunner = 1 };

    static QString sectionName() { return QStringLiteral("fEventInfo"); }
    static QString fileName(const QString &eventDirectory) { return eventDirectory + QStringLiteral("setup.ini"); }

    // The event's settings where they live (EventRecords): its setup.ini, or
    // the rows of its server's database.
    // Missing keys keep their defaults. A value read as `settings set` reads
    // it; one that does not read is kept as its text (SettingValue), written
    // back as it stood until set. Raises KorventError when the file is not
    // text in the program's encoding.
    static EventSettings load(const QString &eventDirectory);
    static EventSettings loadFile(const QString &eventDirectory);
    // The settings from the texts stored by key (none: the default stays);
    // `origin` names the store in the message of a text that does not read.
    static EventSettings fromTexts(const std::function<std::optional<QString>(const QString &key)> &storedText, const QString &origin);
    // The settings that did not read, in key order.
    std::vector<UnreadableSetting> unreadable() const;
    // Everything the operator is to be told of setup.ini: unreadable
    // settings and lines not read.
    QStringList warnings() const;
    // Rewrites the section: keys of no setting disappear, lines not read stay.
    // Raises KorventError when not written.
    void save(const QString &eventDirectory) const;
    // Loads, changes and saves the settings as one step, other programs that
    // change them this way waiting meanwhile: two programs changing different
    // settings at once both keep their change. Returns the settings saved.
    static EventSettings update(const QString &eventDirectory, const std::function<void(EventSettings &)> &change);
    static EventSettings updateFile(const QString &eventDirectory, const std::function<void(EventSettings &)> &change);

    // The event day at the first start time.
    SerialDateTime EventStartDateTime() const;
};

// Masked: a clock time typed in a masked field; MapNumber: a whole number
// typed in a plain field.
enum class SettingKind { Text, Masked, Integer, Boolean, Choice, DateTime, MapNumber };

using SettingMember = std::variant<QString EventSettings::*, SettingValue<int> EventSettings::*, SettingValue<bool> EventSettings::*,
                                   SettingValue<QDateTime> EventSettings::*, SettingValue<qint64> EventSettings::*,
                                   SettingValue<std::chrono::seconds> EventSettings::*>;

// What the setup window shows for a setting and how its value is checked.
struct SettingDefinition
{
    const char *key;
    SettingKind kind;
    SettingMember member;
    QVariant defaultValue; // as setup.ini holds it
    const char *tab;
    const char *caption;
    const char *hint = "";
    int minimum = 0;        // Integer, MapNumber
    int maximum = 0;        // Masked: the greatest number of seconds, 0 for what the mask holds
    const char *mask = "";  // Masked: '0' a digit, other characters are literals
    QStringList choices = {}; // Choice
    bool enabled = true;
    bool emptyIsNone = false; // MapNumber: an empty text stands for 0, none set
};

const std::vector<SettingDefinition> &SettingDefinitions();
// The setting by key (exact name); nullptr when there is none.
const SettingDefinition *FindSetting(const QString &key);
// The setting that fills this member.
const SettingDefinition &SettingOf(SettingMember member);

// The value as setup.ini holds it; for one that did not read, the text kept.
QString SettingText(const EventSettings &settings, const SettingDefinition &definition);
// The text kept for a setting that did not read, or nullptr.
const UnreadableSetting *UnreadableOf(const EventSettings &settings, const SettingDefinition &definition);
// Sets a setting from its text (`settings set`, the setup window). Raises
// KorventError naming the key and the text when it is not of the setting's
// kind or range.
void SetSettingText(EventSettings &settings, const SettingDefinition &definition, const QString &text);
