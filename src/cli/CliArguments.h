#pragma once

// The words after a command's name: its options taken out one by one, the
// plain words left in their order.

#include <QString>
#include <QStringList>
#include <optional>

class CliArguments
{
public:
    explicit CliArguments(QStringList words) : m_words(std::move(words)) {}

    // Takes every "--name"; true when there was one.
    bool takeFlag(const QString &name);
    // Takes every "--name VALUE", the last value counting; nullopt when not
    // given. A missing or empty value raises KorventError(`missing`).
    std::optional<QString> takeValue(const QString &name, const QString &missing);
    // Takes "--name A B" as well as "--name A --name B": each value, and the
    // words after it up to the next option. A missing or empty value raises
    // KorventError(`missing`).
    QStringList takeValues(const QString &name, const QString &missing);

    // The words no option took.
    const QStringList &rest() const { return m_words; }

private:
    QStringList m_words;
};
