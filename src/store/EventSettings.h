#pragma once

// The event settings: one key per control of the event setup window, kept in
// section fEventInfo of the event's setup.ini. The window edits them; the
// core, the CLI and the readout workers read this value type.

#include "store/DateTime.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <variant>
#include <vector>

struct EventSettings
{
    QString leName, leDate, leOrganiser, leLocation, leCourseMaster;
    int rgControlCard;
    QDateTime dtpDate;
    QString meSunrise, meSunSet, meEventStartTime;
    QString eClassName, meStartTime, meControlTime, mePenaltyTime;
    bool cbMainClass;
    QString eSubClasses;
    bool cbCheckInOut, cbUnit11;
    int sePenaltyPoints, sePenaltySeconds, sePunchWindow;
    int seServerDataIn, seMaxConnections;
    bool cbSendToClient, cbSendToServer;
    QString eServerAddressPort;
    bool cbCalcDistSpeed;
    QString eResultHeader;
    bool cbTeamRoute, cbPunchTime, cbShowCountry, cbShowClub, cbDifferentClass, cbXML3Format;
    QString eMap_Scale, eMap_DPI, eMap_OffsetX, eMap_OffsetY, eMap_Filename;
    int seMapWidth;
    bool cbMultiReadout;

    // Every setting at its default.
    EventSettings();

    // Control card kinds of rgControlCard.
    enum { CardPerTeam = 0, CardPerRunner = 1 };

    static QString sectionName() { return QStringLiteral("fEventInfo"); }
    static QString fileName(const QString &eventDirectory) { return eventDirectory + QStringLiteral("setup.ini"); }
    // The program's own report header, relative to the program directory:
    // what a new event and a generated one start with.
    static QString newEventResultHeader() { return QStringLiteral("common/header.htm"); }

    // Missing or unreadable keys keep their defaults; numbers are held to their range.
    static EventSettings load(const QString &eventDirectory);
    // Rewrites the section: keys of no setting disappear. Raises KorventError when not written.
    void save(const QString &eventDirectory) const;
    // Loads, changes and saves the settings as one step, other programs that
    // change them this way waiting meanwhile: two programs changing different
    // settings at once both keep their change. Returns the settings saved.
    static EventSettings update(const QString &eventDirectory, const std::function<void(EventSettings &)> &change);

    // The event day (date of dtpDate) at the first start time.
    TDateTime EventStartDateTime() const;
};

enum class SettingKind { Text, Masked, Integer, Boolean, Choice, DateTime };

using SettingMember = std::variant<QString EventSettings::*, int EventSettings::*, bool EventSettings::*, QDateTime EventSettings::*>;

// What the setup window shows for a setting and how its value is checked.
struct SettingDefinition
{
    const char *key;
    SettingKind kind;
    SettingMember member;
    QVariant defaultValue;
    const char *tab;
    const char *caption;
    const char *hint = "";
    int minimum = 0;        // Integer; a Text setting with a range holds a number
    int maximum = 0;
    const char *mask = "";  // Masked: '0' a digit, other characters are literals
    QStringList choices = {}; // Choice
    bool enabled = true;
};

const std::vector<SettingDefinition> &SettingDefinitions();
// The setting by key (exact name); nullptr when there is none.
const SettingDefinition *FindSetting(const QString &key);

QVariant SettingValue(const EventSettings &settings, const SettingDefinition &definition);
// The value as setup.ini holds it.
QString SettingText(const EventSettings &settings, const SettingDefinition &definition);
// Sets a setting from its setup.ini text. Raises KorventError naming the key
// and what is wrong when the text is not of the setting's kind or range.
void SetSettingText(EventSettings &settings, const SettingDefinition &definition, const QString &text);
// The number a map setting (eMap_Scale, eMap_DPI, eMap_OffsetX, eMap_OffsetY)
// holds, read as ReadMapNumber reads it. Raises KorventError naming the
// setting and its text when it holds none (empty, or edited by hand).
qint64 MapSettingNumber(const EventSettings &settings, const char *key);
