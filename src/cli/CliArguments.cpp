#include "cli/CliArguments.h"

#include "base/KorventError.h"

namespace {

bool isOption(const QString &word)
{
    return word.startsWith(QLatin1String("--"));
}

} // namespace

bool CliArguments::takeFlag(const QString &name)
{
    return m_words.removeAll(name) > 0;
}

std::optional<QString> CliArguments::takeValue(const QString &name, const QString &missing)
{
    std::optional<QString> value;
    for (qsizetype at = m_words.indexOf(name); at >= 0; at = m_words.indexOf(name, at)) {
        if (at + 1 >= m_words.size() || m_words[at + 1].isEmpty())
            throw KorventError(missing);
        value = m_words[at + 1];
        m_words.remove(at, 2);
    }
    return value;
}

QStringList CliArguments::takeValues(const QString &name, const QString &missing)
{
    QStringList values;
    for (qsizetype at = m_words.indexOf(name); at >= 0; at = m_words.indexOf(name, at)) {
        if (at + 1 >= m_words.size() || m_words[at + 1].isEmpty())
            throw KorventError(missing);
        qsizetype end = at + 2;
        while (end < m_words.size() && !isOption(m_words[end]))
            ++end;
        values += m_words.mid(at + 1, end - at - 1);
        m_words.remove(at, end - at);
    }
    return values;
}
