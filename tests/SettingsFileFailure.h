#pragma once

// What reading an event's setup.ini says of one setting's text, as a file
// edited by hand holds it.

#include "TestFolder.h"

#include "base/KorventError.h"
#include "store/EventSettings.h"

// What is said of the text read from setup.ini, without the file name
// before it; empty when the text was read.
inline QString settingsFileFailure(const QString &eventDirectory, const char *key, const QString &text)
{
    writeFile(EventSettings::fileName(eventDirectory), QByteArray("[fEventInfo]\r\n") + key + '=' + text.toUtf8() + "\r\n");
    const EventSettings settings = EventSettings::load(eventDirectory);
    const UnreadableSetting *kept = UnreadableOf(settings, *FindSetting(QLatin1String(key)));
    if (!kept)
        return QString();
    const QString prefix = EventSettings::fileName(eventDirectory) + QStringLiteral(": ");
    const QString &message = kept->message;
    return message.startsWith(prefix) ? message.mid(prefix.size()) : message;
}

// Gives `settings` the setting as loaded from setup.ini holding this text,
// the other settings left as they are; returns what is said of the text.
inline QString takeSettingFromFile(EventSettings &settings, const QString &eventDirectory, const char *key, const QString &text)
{
    const QString failure = settingsFileFailure(eventDirectory, key, text);
    const EventSettings loaded = EventSettings::load(eventDirectory);
    std::visit([&](auto member) { settings.*member = loaded.*member; }, FindSetting(QLatin1String(key))->member);
    return failure;
}
