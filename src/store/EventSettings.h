#pragma once

// The event settings: one key per control of the event setup window, kept in
// section fEventInfo of the event's setup.ini. The window edits them; the
// core, the CLI and the readout workers read this value type.

#include "store/DateTime.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <chrono>
#include <functional>
#include <map>
#include <variant>
#include <vector>

struct EventSettings
{
    Q_DECLARE_TR_FUNCTIONS(EventSettings)

public:
    QString eventName, headingDate, organiser, eventArea, courseSetter;
    int controlCard;
    QDateTime eventDate; // its date part is the event day
    // Clock times of the event day.
    std::chrono::seconds sunrise, sunset, firstStart;
    // What the next main class added in the setup window gets.
    QString newClassName;
    std::chrono::seconds newClassStart, newClassMaximumTime, newClassPenaltyTime;
    bool addMainClass;
    QString extraClasses;
    bool checkInOutControls, unitNumberPlus11;
    int penaltyPoints, penaltySpanSeconds, punchWindowSeconds;
    int serverPort, maxConnections;
    int livePort; // the Server window's live results
    bool pushToClients, forwardToServer;
    QString forwardAddress;
    bool replyDistances;
    QString resultHeader;
    bool teamRouteMaps, showPunchTimes, showCountry, showClub, resultsFilePerClass, iofXml3;
    // The map: scale 1:mapScale (0: none set, no distances), picture
    // resolution and the picture pixel of the start.
    qint64 mapScale, mapDpi, mapOffsetX, mapOffsetY;
    QString mapFileName;
    int courseMapWidth;
    bool multiReadout;

    // Clock times and map numbers of setup.ini that did not read, by key:
    // each keeps its default so that the event still opens and runs, is
    // written back as it stood until it is set again, and what needs its
    // value refuses, naming the file, the key and the text.
    struct Unreadable
    {
        QString text, message;
    };
    std::map<QString, Unreadable> unreadable;

    // Every setting at its default.
    EventSettings();

    // Control card kinds of rgControlCard.
    enum { CardPerTeam = 0, CardPerRunner = 1 };

    static QString sectionName() { return QStringLiteral("fEventInfo"); }
    static QString fileName(const QString &eventDirectory) { return eventDirectory + QStringLiteral("setup.ini"); }
    // The program's own report header, relative to the program directory:
    // what a new event and a generated one start with.
    static QString newEventResultHeader() { return QStringLiteral("common/header.htm"); }

    // Missing keys keep their defaults; integers, booleans and the date the
    // window could not read keep theirs too, and integers are held to their
    // range. A clock time or map number that does not read is kept in
    // `unreadable`: it is never replaced unseen.
    static EventSettings load(const QString &eventDirectory);
    // Raises KorventError with the message of the first unreadable map number:
    // a map drawn or placed with a default would be silently wrong.
    void requireMapNumbers() const;
    // Rewrites the section: keys of no setting disappear. Raises KorventError when not written.
    void save(const QString &eventDirectory) const;
    // Loads, changes and saves the settings as one step, other programs that
    // change them this way waiting meanwhile: two programs changing different
    // settings at once both keep their change. Returns the settings saved.
    static EventSettings update(const QString &eventDirectory, const std::function<void(EventSettings &)> &change);

    // The event day at the first start time.
    SerialDateTime EventStartDateTime() const;
};

// Masked: a clock time typed in a masked field; MapNumber: a whole number
// typed in a plain field.
enum class SettingKind { Text, Masked, Integer, Boolean, Choice, DateTime, MapNumber };

using SettingMember = std::variant<QString EventSettings::*, int EventSettings::*, bool EventSettings::*, QDateTime EventSettings::*,
                                   qint64 EventSettings::*, std::chrono::seconds EventSettings::*>;

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
    int maximum = 0;
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

// The value as setup.ini holds it.
QString SettingText(const EventSettings &settings, const SettingDefinition &definition);
// Sets a setting from its text (`settings set`, the setup window). Raises
// KorventError naming the key and the text when it is not of the setting's
// kind or range.
void SetSettingText(EventSettings &settings, const SettingDefinition &definition, const QString &text);
