#include "store/EventSettings.h"

#include "base/IniFile.h"
#include "base/KorventError.h"
#include "base/LockFileTurn.h"
#include "store/MapHelpers.h"
#include "store/TimeHelpers.h"

#include <QCoreApplication>
#include <QRegularExpression>

namespace {

using S = EventSettings;
using K = SettingKind;

const QString clockMask = QStringLiteral("00:00:00");
const QString longClockMask = QStringLiteral("000:00:00");

std::vector<SettingDefinition> makeDefinitions()
{
    const QStringList cards = {QStringLiteral("per Team"), QStringLiteral("per Runner(s)")};
    return {
        {"leName", K::Text, &S::leName, QString(), "Event", "Event name"},
        {"leDate", K::Text, &S::leDate, QString(), "Event", "Date"},
        {"leOrganiser", K::Text, &S::leOrganiser, QString(), "Event", "Organiser"},
        {"leLocation", K::Text, &S::leLocation, QString(), "Event", "Event area / place"},
        {"leCourseMaster", K::Text, &S::leCourseMaster, QString(), "Event", "Coursesetter"},
        {"rgControlCard", K::Choice, &S::rgControlCard, 0, "Event", "Control Card", "", 0, 1, "", cards},
        {"dtpDate", K::DateTime, &S::dtpDate, QDateTime(QDate(2008, 9, 1), QTime(0, 0)), "Event", "Start date"},
        {"meSunrise", K::Masked, &S::meSunrise, QStringLiteral("00:00:00"), "Event", "Sunrise", "", 0, 0, "00:00:00"},
        {"meSunSet", K::Masked, &S::meSunSet, QStringLiteral("00:00:00"), "Event", "Sunset", "", 0, 0, "00:00:00"},
        {"meEventStartTime", K::Masked, &S::meEventStartTime, QStringLiteral("00:00:00"), "Event", "First starttime", "", 0, 0, "00:00:00"},
        {"eClassName", K::Text, &S::eClassName, QString(), "Classes", "Class"},
        {"meStartTime", K::Masked, &S::meStartTime, QStringLiteral("12:00:00"), "Classes", "Start time", "", 0, 0, "00:00:00"},
        {"meControlTime", K::Masked, &S::meControlTime, QStringLiteral("012:00:00"), "Classes", "Maximum time", "", 0, 0, "000:00:00"},
        {"mePenaltyTime", K::Masked, &S::mePenaltyTime, QStringLiteral("00:30:00"), "Classes", "Penalty time", "", 0, 0, "00:00:00"},
        {"cbMainClass", K::Boolean, &S::cbMainClass, false, "Classes", "Add main class"},
        {"eSubClasses", K::Text, &S::eSubClasses, QString(), "Classes", "Extra Classes (SC1;SC2 etc)", "Extra separated by ;"},
        {"cbCheckInOut", K::Boolean, &S::cbCheckInOut, true, "Controls", "Check IN/OUT"},
        {"cbUnit11", K::Boolean, &S::cbUnit11, false, "Controls", "UnitNr +11"},
        {"sePenaltyPoints", K::Integer, &S::sePenaltyPoints, -1, "Setup", "- points", "", -9999, 0},
        // A penalty span of no length would divide the overtime by zero.
        {"sePenaltySeconds", K::Integer, &S::sePenaltySeconds, 60, "Setup", "per (sec)", "", 1, 999'999},
        {"sePunchWindow", K::Integer, &S::sePunchWindow, -1, "Setup", "Max Punch interval (sec)",
         "Time in seconds when all team member had to punch, -1 dont check", -1, 99'999},
        {"seServerDataIn", K::Integer, &S::seServerDataIn, 6001, "Setup", "Server PORT", "", 1024, 9999},
        {"seMaxConnections", K::Integer, &S::seMaxConnections, 5, "Setup", "Max connections", "", 1, 100},
        {"cbSendToClient", K::Boolean, &S::cbSendToClient, false, "Setup", "Send To Clients (push)"},
        {"cbSendToServer", K::Boolean, &S::cbSendToServer, false, "Setup", "Forward to server", "", 0, 0, "", {}, false},
        {"eServerAddressPort", K::Text, &S::eServerAddressPort, QString(), "Setup", "Server address:port", "", 0, 0, "", {}, false},
        {"cbCalcDistSpeed", K::Boolean, &S::cbCalcDistSpeed, false, "Setup", "Calc distance/speed"},
        {"cbMultiReadout", K::Boolean, &S::cbMultiReadout, false, "Setup", "Multi readout", "Support for double readout (during event )"},
        {"eResultHeader", K::Text, &S::eResultHeader, QString(), "Lists and extras", "Results header"},
        {"cbTeamRoute", K::Boolean, &S::cbTeamRoute, false, "Lists and extras", "Create team route map (for Web)"},
        {"cbPunchTime", K::Boolean, &S::cbPunchTime, false, "Lists and extras", "Show punching time  (for Web)"},
        {"cbShowCountry", K::Boolean, &S::cbShowCountry, false, "Lists and extras", "Show country"},
        {"cbShowClub", K::Boolean, &S::cbShowClub, false, "Lists and extras", "Show Club"},
        {"cbDifferentClass", K::Boolean, &S::cbDifferentClass, false, "Lists and extras", "Results file per class"},
        {"cbXML3Format", K::Boolean, &S::cbXML3Format, true, "Lists and extras", "IOF XML ver 3.0"},
        // Numbers kept as texts, bounded to what a real map can need.
        {"eMap_Scale", K::Text, &S::eMap_Scale, QStringLiteral("30000"), "Controls", "Scale 1:", "", 1, MapScaleLimit},
        {"eMap_DPI", K::Text, &S::eMap_DPI, QStringLiteral("150"), "Controls", "DPI:", "", 1, MapDpiLimit},
        {"eMap_OffsetX", K::Text, &S::eMap_OffsetX, QStringLiteral("0"), "Controls", "Start Offset (pix) x", "Start pos x-pix on image file",
         -MapCoordinateLimit, MapCoordinateLimit},
        {"eMap_OffsetY", K::Text, &S::eMap_OffsetY, QStringLiteral("0"), "Controls", "Start Offset (pix) y", "Start pos y-pix on image file",
         -MapCoordinateLimit, MapCoordinateLimit},
        {"eMap_Filename", K::Text, &S::eMap_Filename, QStringLiteral("rogainmap.gif"), "Controls", "Map file name"},
        {"seMapWidth", K::Integer, &S::seMapWidth, 500, "Controls", "map file width", "", 200, 2000},
    };
}

QString tr(const char *text)
{
    return QCoreApplication::translate("EventSettings", text);
}

bool matchesMask(const QString &text, const char *mask)
{
    const QString pattern = QRegularExpression::escape(QString::fromLatin1(mask)).replace(QLatin1String("0"), QLatin1String("\\d"));
    return QRegularExpression(QStringLiteral("^") + pattern + u'$').match(text).hasMatch();
}

QString mapNumberWanted(const SettingDefinition &definition)
{
    return definition.minimum < 0 ? tr("is not a whole number from %1 to %2 (digits, a minus sign in front if below zero)")
                                        .arg(definition.minimum)
                                        .arg(definition.maximum)
                                  : tr("is not a whole number from %1 to %2 (digits only)").arg(definition.minimum).arg(definition.maximum);
}

} // namespace

const std::vector<SettingDefinition> &SettingDefinitions()
{
    static const std::vector<SettingDefinition> definitions = makeDefinitions();
    return definitions;
}

const SettingDefinition *FindSetting(const QString &key)
{
    for (const SettingDefinition &definition : SettingDefinitions())
        if (key == QLatin1String(definition.key))
            return &definition;
    return nullptr;
}

EventSettings::EventSettings()
{
    for (const SettingDefinition &definition : SettingDefinitions()) {
        std::visit([&](auto member) {
            using T = std::remove_reference_t<decltype(this->*member)>;
            this->*member = definition.defaultValue.template value<T>();
        }, definition.member);
    }
}

QVariant SettingValue(const EventSettings &settings, const SettingDefinition &definition)
{
    return std::visit([&](auto member) { return QVariant::fromValue(settings.*member); }, definition.member);
}

QString SettingText(const EventSettings &settings, const SettingDefinition &definition)
{
    const QVariant value = SettingValue(settings, definition);
    switch (definition.kind) {
    case SettingKind::Boolean:
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    case SettingKind::DateTime:
        return value.toDateTime().toString(IniFile::dateTimeFormat());
    default:
        return value.toString();
    }
}

void SetSettingText(EventSettings &settings, const SettingDefinition &definition, const QString &text)
{
    auto refuse = [&](const QString &why) {
        throw KorventError(tr("%1 (%2): \"%3\" %4").arg(tr(definition.caption), QString::fromLatin1(definition.key), text, why));
    };
    switch (definition.kind) {
    case SettingKind::Text:
        // An empty scale gives no distances, as before; anything else is read
        // as every part of the program reads it.
        if (definition.maximum > definition.minimum && !(text.isEmpty() && definition.member == SettingMember(&S::eMap_Scale))
            && !ReadMapNumber(text, definition.minimum, definition.maximum))
            refuse(mapNumberWanted(definition));
        settings.*std::get<QString EventSettings::*>(definition.member) = text;
        break;
    case SettingKind::Masked:
        if (!matchesMask(text, definition.mask))
            refuse(tr("is not of the form %1").arg(QString::fromLatin1(definition.mask)));
        settings.*std::get<QString EventSettings::*>(definition.member) = text;
        break;
    case SettingKind::Integer:
    case SettingKind::Choice: {
        bool ok = false;
        const int value = text.trimmed().toInt(&ok);
        const int maximum = definition.kind == SettingKind::Choice ? static_cast<int>(definition.choices.size()) - 1 : definition.maximum;
        if (!ok)
            refuse(tr("is not a whole number"));
        if (value < definition.minimum || value > maximum)
            refuse(tr("is outside %1 to %2").arg(definition.minimum).arg(maximum));
        settings.*std::get<int EventSettings::*>(definition.member) = value;
        break;
    }
    case SettingKind::Boolean:
        if (text != QLatin1String("0") && text != QLatin1String("1"))
            refuse(tr("is not 0 or 1"));
        settings.*std::get<bool EventSettings::*>(definition.member) = text == QLatin1String("1");
        break;
    case SettingKind::DateTime: {
        const QDateTime value = QDateTime::fromString(text.trimmed(), IniFile::dateTimeFormat());
        if (!value.isValid())
            refuse(tr("is not a date-time of the form YYYY-MM-DD HH:MM:SS"));
        settings.*std::get<QDateTime EventSettings::*>(definition.member) = value;
        break;
    }
    }
}

qint64 MapSettingNumber(const EventSettings &settings, const char *key)
{
    const SettingDefinition *definition = FindSetting(QLatin1String(key));
    Q_ASSERT(definition && definition->kind == SettingKind::Text && definition->maximum > definition->minimum);
    const QString text = SettingText(settings, *definition);
    if (const std::optional<qint64> value = ReadMapNumber(text, definition->minimum, definition->maximum))
        return *value;
    throw KorventError(tr("%1 (%2): \"%3\" %4").arg(tr(definition->caption), QString::fromLatin1(key), text, mapNumberWanted(*definition)));
}

EventSettings EventSettings::load(const QString &eventDirectory)
{
    EventSettings settings;
    const IniFile ini(fileName(eventDirectory));
    const QString section = sectionName();
    for (const SettingDefinition &definition : SettingDefinitions()) {
        const QString key = QString::fromLatin1(definition.key);
        if (!ini.hasKey(section, key))
            continue;
        // The window's own rules: unreadable numbers keep the current value,
        // spin boxes hold a number to their range.
        std::visit([&](auto member) {
            using T = std::remove_reference_t<decltype(settings.*member)>;
            if constexpr (std::is_same_v<T, QString>) {
                settings.*member = ini.readString(section, key);
            } else if constexpr (std::is_same_v<T, bool>) {
                settings.*member = ini.readBool(section, key, settings.*member);
            } else if constexpr (std::is_same_v<T, int>) {
                const int maximum = definition.kind == SettingKind::Choice ? static_cast<int>(definition.choices.size()) - 1 : definition.maximum;
                settings.*member = static_cast<int>(std::clamp<qint64>(ini.readInteger(section, key, settings.*member), definition.minimum, maximum));
            } else {
                settings.*member = ini.readDateTime(section, key, settings.*member);
            }
        }, definition.member);
    }
    return settings;
}

void EventSettings::save(const QString &eventDirectory) const
{
    IniFile ini(fileName(eventDirectory));
    ini.eraseSection(sectionName());
    for (const SettingDefinition &definition : SettingDefinitions())
        ini.writeString(sectionName(), QString::fromLatin1(definition.key), SettingText(*this, definition));
    ini.save();
}

EventSettings EventSettings::update(const QString &eventDirectory, const std::function<void(EventSettings &)> &change)
{
    // A lock left by a program that was killed is taken over (its process is gone).
    constexpr int waitMs = 30'000;
    const LockFileTurn turn(fileName(eventDirectory) + QStringLiteral(".lock"), waitMs, tr("Cannot change %1").arg(fileName(eventDirectory)));
    EventSettings settings = load(eventDirectory);
    change(settings);
    settings.save(eventDirectory);
    return settings;
}

TDateTime EventSettings::EventStartDateTime() const
{
    const TDateTime day = DateTime::fromDateAndTime(dtpDate.date(), QTime(0, 0));
    return day + ClockTextToHundredths(meEventStartTime, QLatin1Char(',')) / 8'640'000.0;
}
