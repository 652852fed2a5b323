#pragma once

#include <QString>
#include <stdexcept>

// The one error type the core raises. It carries a message meant for the
// operator: the GUI shows it in a message box, the CLI prints it to stderr.
class KorventError : public std::runtime_error
{
public:
    explicit KorventError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message) {}

    const QString &message() const { return m_message; }

private:
    QString m_message;
};
