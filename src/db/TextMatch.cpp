#include "db/TextMatch.h"

#include <QList>

namespace db {

namespace {

// Every letter as a class of its forms; the characters `special` holds as a
// one-character class, in which they stand for themselves.
QString casePattern(const QString &text, QStringView special)
{
    QString pattern;
    for (const char32_t c : text.toUcs4()) {
        QList<char32_t> forms{c};
        for (const char32_t form : {QChar::toLower(c), QChar::toUpper(c), QChar::toTitleCase(c)})
            if (!forms.contains(form))
                forms.append(form);
        if (forms.size() > 1) {
            pattern += u'[';
            for (const char32_t form : forms)
                pattern += QString::fromUcs4(&form, 1);
            pattern += u']';
        } else if (c < 0x80 && special.contains(QChar(c))) {
            const QString character = QString::fromUcs4(&c, 1);
            if (c == U'\\' || c == U'^' || c == U']')
                pattern += u'\\' + character;
            else
                pattern += u'[' + character + u']';
        } else {
            pattern += QString::fromUcs4(&c, 1);
        }
    }
    return pattern;
}

} // namespace

QString CaseInsensitiveGlob(const QString &text, bool anywhere)
{
    const QString pattern = casePattern(text, u"*?[");
    return anywhere ? u'*' + pattern + u'*' : pattern;
}

TextCondition CaseInsensitiveMatch(Engine engine, const QString &quotedField, const QString &text, bool anywhere)
{
    if (engine == Engine::SQLite)
        return {quotedField + QStringLiteral(" GLOB ?"), CaseInsensitiveGlob(text, anywhere)};
    // POSIX regular expressions: backslash, caret and bracket are escaped, the rest held in a class.
    const QString pattern = casePattern(text, u".[]()*+?{}|^$\\");
    return {quotedField + QStringLiteral(" ~ ?"), anywhere ? pattern : u'^' + pattern + u'$'};
}

} // namespace db
