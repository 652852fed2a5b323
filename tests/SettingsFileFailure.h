#pragma once

// What reading an event's setup.ini says of one setting's text, as a file
// edited by hand holds it.

#include "TestFolder.h"

#include "base/KorventError.h"
#include "store/EventSettings.h"

// The error without the file name before it; empty when the text was read.
inline QString settingsFileFailure(const QString &eventDirectory, const char *key, const QString &text)
{
    writeFile(EventSettings::fileName(eventDirectory), QByteArray("[fEventInfo]\r\n") + key + '=' + text.toUtf8() + "\r\n");
    try {
        EventSettings::load(eventDirectory);
        return QString();
    } catch (const KorventError &error) {
        const QString prefix = EventSettings::fileName(eventDirectory) + QStringLiteral(": ");
        return error.message().startsWith(prefix) ? error.message().mid(prefix.size()) : error.message();
    }
}
