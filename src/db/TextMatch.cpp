#include "db/TextMatch.h"

#include <QList>

namespace db {

QString CaseInsensitiveGlob(const QString &text, bool anywhere)
{
    QString pattern = anywhere ? QStringLiteral("*") : QString();
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
        } else if (c == U'*' || c == U'?' || c == U'[') {
            // A one-character class holds a wildcard as itself.
            pattern += u'[' + QString::fromUcs4(&c, 1) + u']';
        } else {
            pattern += QString::fromUcs4(&c, 1);
        }
    }
    if (anywhere)
        pattern += u'*';
    return pattern;
}

} // namespace db
