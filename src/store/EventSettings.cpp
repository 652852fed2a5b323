#include "store/EventSettings.h"

#include "base/IniFile.h"
#include "base/KorventError.h"
#include "base/LockFileTurn.h"
#include "store/EventRecords.h"
#include "store/MapHelpers.h"


namespace {

using S = EventSettings;
using K = SettingKind;

// Clock times of the event day end before midnight.
constexpr int LastSecondOfDay = 24 * 3600 - 1;

std::vector<SettingDefinition> makeDefinitions()
{
    const QStringList cards = {QStringLiteral("per Team"), QStringLiteral("per Runner(s)")};
    return {
        {"leName", K::Text, &S::eventName, QString(), "Event", "Event name"},
        {"leDate", K::Text, &S::headingDate, QString(), "Event", "Date"},
        {"leOrganiser", K::Text, &S::organiser, QString(), "Event", "Organiser"},
        {"leLocation", K::Text, &S::eventArea, QString(), "Event", "Event area / place"},
        {"leCourseMaster", K::Text, &S::courseSetter, QString(), "Event", "Coursesetter"},
        {"rgControlCard", K::Choice, &S::controlCard, 0, "Event", "Control Card", "", 0, 1, "", cards},
        {"dtpDate", K::DateTime, &S::eventDate, QDateTime(QDate(2008, 9, 1), QTime(0, 0)), "Event", "Start date"},
        {"meSunrise", K::Masked, &S::sunrise, QStringLiteral("00:00:00"), "Event", "Sunrise", "", 0, LastSecondOfDay, "00:00:00"},
        {"meSunSet", K::Masked, &S::sunset, QStringLiteral("00:00:00"), "Event", "Sunset", "", 0, LastSecondOfDay, "00:00:00"},
        {"meEventStartTime", K::Masked, &S::firstStart, QStringLiteral("00:00:00"), "Event", "First starttime", "", 0, LastSecondOfDay, "00:00:00"},
        {"eClassName", K::Text, &S::newClassName, QString(), "Classes", "Class"},
        {"meStartTime", K::Masked, &S::newClassStart, QStringLiteral("12:00:00"), "Classes", "Start time", "", 0, LastSecondOfDay, "00:00:00"},
        {"meControlTime", K::Masked, &S::newClassMaximumTime, QStringLiteral("012:00:00"), "Classes", "Maximum time", "", 0, 0, "000:00:00"},
        {"mePenaltyTime", K::Masked, &S::newClassPenaltyTime, QStringLiteral("00:30:00"), "Classes", "Penalty time", "", 0, 0, "00:00:00"},
        {"cbMainClass", K::Boolean, &S::addMainClass, false, "Classes", "Add main class"},
        {"eSubClasses", K::Text, &S::extraClasses, QString(), "Classes", "Extra Classes (SC1;SC2 etc)", "Extra separated by ;"},
        {"cbCheckInOut", K::Boolean, &S::checkInOutControls, true, "Controls", "Check IN/OUT"},
        {"cbUnit11", K::Boolean, &S::unitNumberPlus11, false, "Controls", "UnitNr +11"},
        {"sePenaltyPoints", K::Integer, &S::penaltyPoints, -1, "Setup", "- points", "", -9999, 0},
        // A penalty span of no length would divide the overtime by zero.
        {"sePenaltySeconds", K::Integer, &S::penaltySpanSeconds, 60, "Setup", "per (sec)", "", 1, 999'999},
        {"sePunchWindow", K::Integer, &S::punchWindowSeconds, -1, "Setup", "Max Punch interval (sec)",
         "Time in seconds when all team member had to punch, -1 dont check", -1, 99'999},
        {"seServerDataIn", K::Integer, &S::serverPort, 6001, "Setup", "Server PORT", "", 1024, 9999},
        {"seMaxConnections", K::Integer, &S::maxConnections, 5, "Setup", "Max connections", "", 1, 100},
        {"seLivePort", K::Integer, &S::livePort, 8080, "Setup", "Live results PORT", "The Server window's live results (HTTP)", 1, 65535},
        {"cbSendToClient", K::Boolean, &S::pushToClients, false, "Setup", "Send To Clients (push)"},
        {"cbSendToServer", K::Boolean, &S::forwardToServer, false, "Setup", "Forward to server", "", 0, 0, "", {}, false},
        {"eServerAddressPort", K::Text, &S::forwardAddress, QString(), "Setup", "Server address:port", "", 0, 0, "", {}, false},
        {"cbCalcDistSpeed", K::Boolean, &S::replyDistances, false, "Setup", "Calc distance/speed"},
        {"cbMultiReadout", K::Boolean, &S::multiReadout, false, "Setup", "Multi readout", "Support for double readout (during event )"},
        {"eResultHeader", K::Text, &S::resultHeader, QString(), "Lists and extras", "Results header"},
        {"cbTeamRoute", K::Boolean, &S::teamRouteMaps, false, "Lists and extras", "Create team route map (for Web)"},
        {"cbPunchTime", K::Boolean, &S::showPunchTimes, false, "Lists and extras", "Show punching time  (for Web)"},
        {"cbShowCountry", K::Boolean, &S::showCountry, false, "Lists and extras", "Show country"},
        {"cbShowClub", K::Boolean, &S::showClub, false, "Lists and extras", "Show Club"},
        {"cbDifferentClass", K::Boolean, &S::resultsFilePerClass, false, "Lists and extras", "Results file per class"},
        {"cbXML3Format", K::Boolean, &S::iofXml3, true, "Lists and extras", "IOF XML ver 3.0"},
        // Bounded to what a real map can need. An empty scale gives no distances.
        {"eMap_Scale", K::MapNumber, &S::mapScale, QStringLiteral("30000"), "Controls", "Scale 1:", "", 1, MapScaleLimit, "", {}, true, true},
        {"eMap_DPI", K::MapNumber, &S::mapDpi, QStringLiteral("150"), "Controls", "DPI:", "", 1, MapDpiLimit},
        {"eMap_OffsetX", K::MapNumber, &S::mapOffsetX, QStringLiteral("0"), "Controls", "Start Offset (pix) x", "Start pos x-pix on image file",
         -MapCoordinateLimit, MapCoordinateLimit},
        {"eMap_OffsetY", K::MapNumber, &S::mapOffsetY, QStringLiteral("0"), "Controls", "Start Offset (pix) y", "Start pos y-pix on image file",
         -MapCoordinateLimit, MapCoordinateLimit},
        {"eMap_Filename", K::Text, &S::mapFileName, QStringLiteral("rogainmap.gif"), "Controls", "Map file name"},
        {"seMapWidth", K::Integer, &S::courseMapWidth, 500, "Controls", "map file width", "", 200, 2000},
    };
}

QString refusal(const SettingDefinition &definition, const QString &text, const QString &why)
{
    return EventSettings::tr("%1 (%2): \"%3\" %4").arg(EventSettings::tr(definition.caption), QString::fromLatin1(definition.key), text, why);
}

int maximumOf(const SettingDefinition &definition)
{
    return definition.kind == SettingKind::Choice ? static_cast<int>(definition.choices.size()) - 1 : definition.maximum;
}

// The digits of a masked clock field: every '0' of the mask a digit, every
// other character itself, minutes and seconds below 60.
std::optional<std::chrono::seconds> readMaskedClock(QStringView text, const char *mask)
{
    const QLatin1StringView pattern(mask);
    if (text.size() != pattern.size())
        return std::nullopt;
    for (qsizetype i = 0; i < text.size(); ++i)
        if (pattern[i] == '0' ? !(text[i] >= u'0' && text[i] <= u'9') : text[i] != QLatin1Char(pattern[i]))
            return std::nullopt;
    const QList<QStringView> parts = text.split(u':');
    if (parts.size() != 3 || parts[1].toInt() > 59 || parts[2].toInt() > 59)
        return std::nullopt;
    return std::chrono::seconds(parts[0].toLongLong() * 3600 + parts[1].toInt() * 60 + parts[2].toInt());
}

QString maskedClockText(std::chrono::seconds value, const char *mask)
{
    const qsizetype hourDigits = QLatin1StringView(mask).indexOf(u':');
    const qint64 seconds = value.count();
    const auto digits = [](qint64 number, qsizetype width) { return QString::number(number).rightJustified(width, u'0'); };
    return digits(seconds / 3600, hourDigits) + u':' + digits(seconds / 60 % 60, 2) + u':' + digits(seconds % 60, 2);
}

std::optional<qint64> readMapSetting(const SettingDefinition &definition, const QString &text)
{
    if (text.isEmpty() && definition.emptyIsNone)
        return 0;
    return ReadMapNumber(text, definition.minimum, definition.maximum);
}

QString mapNumberWanted(const SettingDefinition &definition)
{
    return definition.minimum < 0 ? EventSettings::tr("is not a whole number from %1 to %2 (digits, a minus sign in front if below zero)")
                                        .arg(definition.minimum)
                                        .arg(definition.maximum)
                                  : EventSettings::tr("is not a whole number from %1 to %2 (digits only)").arg(definition.minimum).arg(definition.maximum);
}

const QString &plainValue(const QString &text)
{
    return text;
}

template <typename T>
const T &plainValue(const SettingValue<T> &setting)
{
    return *setting;
}

QString defaultText(const SettingDefinition &definition)
{
    switch (definition.kind) {
    case SettingKind::Boolean:
        return definition.defaultValue.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    case SettingKind::DateTime:
        return definition.defaultValue.toDateTime().toString(IniFile::dateTimeFormat());
    default:
        return definition.defaultValue.toString();
    }
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

const SettingDefinition &SettingOf(SettingMember member)
{
    for (const SettingDefinition &definition : SettingDefinitions())
        if (definition.member == member)
            return definition;
    Q_UNREACHABLE();
}

EventSettings::EventSettings()
{
    for (const SettingDefinition &definition : SettingDefinitions())
        SetSettingText(*this, definition, defaultText(definition));
}

const UnreadableSetting *UnreadableOf(const EventSettings &settings, const SettingDefinition &definition)
{
    return std::visit([&](auto member) -> const UnreadableSetting * {
        if constexpr (std::is_same_v<decltype(member), QString EventSettings::*>)
            return nullptr;
        else
            return (settings.*member).unreadable() ? &*(settings.*member).unreadable() : nullptr;
    }, definition.member);
}

QString SettingText(const EventSettings &settings, const SettingDefinition &definition)
{
    if (const UnreadableSetting *kept = UnreadableOf(settings, definition))
        return kept->text;
    return std::visit([&](auto member) -> QString {
        const auto &value = plainValue(settings.*member);
        using T = std::remove_cvref_t<decltype(value)>;
        if constexpr (std::is_same_v<T, QString>)
            return value;
        else if constexpr (std::is_same_v<T, bool>)
            return value ? QStringLiteral("1") : QStringLiteral("0");
        else if constexpr (std::is_same_v<T, QDateTime>)
            return value.toString(IniFile::dateTimeFormat());
        else if constexpr (std::is_same_v<T, std::chrono::seconds>)
            return maskedClockText(value, definition.mask);
        else if constexpr (std::is_same_v<T, qint64>)
            return value == 0 && definition.emptyIsNone ? QString() : QString::number(value);
        else
            return QString::number(value);
    }, definition.member);
}

void SetSettingText(EventSettings &settings, const SettingDefinition &definition, const QString &text)
{
    auto refuse = [&](const QString &why) { throw KorventError(refusal(definition, text, why)); };
    // Assigning a value replaces a text that did not read; a refusal throws,
    // and the caller saves nothing.
    switch (definition.kind) {
    case SettingKind::Text:
        settings.*std::get<QString EventSettings::*>(definition.member) = text;
        break;
    case SettingKind::MapNumber: {
        const std::optional<qint64> value = readMapSetting(definition, text);
        if (!value)
            refuse(mapNumberWanted(definition));
        settings.*std::get<SettingValue<qint64> EventSettings::*>(definition.member) = *value;
        break;
    }
    case SettingKind::Masked: {
        const std::optional<std::chrono::seconds> value = readMaskedClock(text, definition.mask);
        if (!value)
            refuse(EventSettings::tr("is not of the form %1 with minutes and seconds below 60").arg(QString::fromLatin1(definition.mask)));
        if (definition.maximum > 0 && value->count() > definition.maximum)
            refuse(EventSettings::tr("is not a time of day (00:00:00 to 23:59:59)"));
        settings.*std::get<SettingValue<std::chrono::seconds> EventSettings::*>(definition.member) = *value;
        break;
    }
    case SettingKind::Integer:
    case SettingKind::Choice: {
        bool ok = false;
        const int value = text.trimmed().toInt(&ok);
        if (!ok)
            refuse(EventSettings::tr("is not a whole number"));
        if (value < definition.minimum || value > maximumOf(definition))
            refuse(EventSettings::tr("is outside %1 to %2").arg(definition.minimum).arg(maximumOf(definition)));
        settings.*std::get<SettingValue<int> EventSettings::*>(definition.member) = value;
        break;
    }
    case SettingKind::Boolean:
        if (text != QLatin1String("0") && text != QLatin1String("1"))
            refuse(EventSettings::tr("is not 0 or 1"));
        settings.*std::get<SettingValue<bool> EventSettings::*>(definition.member) = text == QLatin1String("1");
        break;
    case SettingKind::DateTime: {
        const QDateTime value = QDateTime::fromString(text.trimmed(), IniFile::dateTimeFormat());
        if (!value.isValid())
            refuse(EventSettings::tr("is not a date-time of the form YYYY-MM-DD HH:MM:SS"));
        settings.*std::get<SettingValue<QDateTime> EventSettings::*>(definition.member) = value;
        break;
    }
    }
}

EventSettings EventSettings::load(const QString &eventDirectory)
{
    return EventRecords(eventDirectory).loadSettings();
}

EventSettings EventSettings::fromTexts(const std::function<std::optional<QString>(const QString &key)> &storedText, const QString &origin)
{
    EventSettings settings;
    for (const SettingDefinition &definition : SettingDefinitions()) {
        const std::optional<QString> text = storedText(QString::fromLatin1(definition.key));
        if (!text)
            continue;
        try {
            SetSettingText(settings, definition, *text);
        } catch (const KorventError &error) {
            // The default stays beneath the kept text; only what needs the value refuses.
            const UnreadableSetting kept{*text, origin + QStringLiteral(": ") + error.message()};
            std::visit([&](auto member) {
                if constexpr (!std::is_same_v<decltype(member), QString EventSettings::*>)
                    (settings.*member).keepUnreadable(kept);
            }, definition.member);
        }
    }
    return settings;
}

EventSettings EventSettings::loadFile(const QString &eventDirectory)
{
    const IniFile ini(fileName(eventDirectory));
    ini.requireText();
    const QString section = sectionName();
    EventSettings settings = fromTexts([&](const QString &key) -> std::optional<QString> {
        if (!ini.hasKey(section, key))
            return std::nullopt;
        return ini.readString(section, key);
    }, fileName(eventDirectory));
    const QStringList ignored = ini.ignoredLines(section);
    if (!ignored.isEmpty())
        settings.fileWarnings.append(EventSettings::tr("%1: lines of section [%2] that are not read (a key or the section repeated), "
                                                       "kept as they stand: %3")
                                         .arg(fileName(eventDirectory), section, ignored.join(QStringLiteral(" | "))));
    return settings;
}

std::vector<UnreadableSetting> EventSettings::unreadable() const
{
    std::vector<UnreadableSetting> kept;
    for (const SettingDefinition &definition : SettingDefinitions())
        if (const UnreadableSetting *setting = UnreadableOf(*this, definition))
            kept.push_back(*setting);
    return kept;
}

QStringList EventSettings::warnings() const
{
    QStringList messages;
    for (const UnreadableSetting &setting : unreadable())
        messages.append(setting.message);
    return messages + fileWarnings;
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
    return EventRecords(eventDirectory).updateSettings(change);
}

EventSettings EventSettings::updateFile(const QString &eventDirectory, const std::function<void(EventSettings &)> &change)
{
    // A lock left by a program that was killed is taken over (its process is gone).
    constexpr int waitMs = 30'000;
    const LockFileTurn turn(fileName(eventDirectory) + QStringLiteral(".lock"), waitMs, EventSettings::tr("Cannot change %1").arg(fileName(eventDirectory)));
    EventSettings settings = loadFile(eventDirectory);
    change(settings);
    settings.save(eventDirectory);
    return settings;
}

SerialDateTime EventSettings::EventStartDateTime() const
{
    const SerialDateTime day = DateTime::fromDateAndTime(eventDate->date(), QTime(0, 0));
    return day + static_cast<double>(firstStart->count()) / 86'400.0;
}
