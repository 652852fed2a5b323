#pragma once

// A setting's value, or the text setup.ini held for it that did not read. The
// value of an unreadable setting is never handed out: reading it raises
// KorventError naming the file, the key and the text, so whatever needs it
// refuses and whatever does not runs on.

#include "base/KorventError.h"

#include <QString>
#include <optional>
#include <utility>

struct UnreadableSetting
{
    QString text, message;
};

template <typename T>
class SettingValue
{
public:
    SettingValue() = default;
    SettingValue(T value)
        : m_value(std::move(value))
    {
    }
    // A value set replaces a text that did not read.
    SettingValue &operator=(T value)
    {
        m_value = std::move(value);
        m_unreadable.reset();
        return *this;
    }

    const T &value() const
    {
        if (m_unreadable)
            throw KorventError(m_unreadable->message);
        return m_value;
    }
    operator const T &() const { return value(); }
    const T &operator*() const { return value(); }
    const T *operator->() const { return &value(); }
    friend bool operator==(const SettingValue &a, const T &b) { return a.value() == b; }
    friend bool operator==(const SettingValue &a, const SettingValue &b) { return a.value() == b.value(); }

    const std::optional<UnreadableSetting> &unreadable() const { return m_unreadable; }
    // The value stays what it was (the default); only the text is kept.
    void keepUnreadable(UnreadableSetting unreadable) { m_unreadable = std::move(unreadable); }

private:
    T m_value{};
    std::optional<UnreadableSetting> m_unreadable;
};
