#include "store/TextHelpers.h"

#include "base/KorventError.h"

#include <QCoreApplication>

qint64 LeadingNumber(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i) == QLatin1Char(' '))
        ++i;
    qint64 value = 0;
    // 18 significant digits always fit; further digits of an absurd text are
    // ignored. Leading zeros add nothing, so they count for none.
    for (int digits = 0; i < text.size() && text.at(i).isDigit() && text.at(i).unicode() < 128; ++i) {
        if (value == 0 && text.at(i) == u'0')
            continue;
        if (++digits <= 18)
            value = value * 10 + (text.at(i).unicode() - '0');
    }
    return value;
}

qint64 LeadingInteger(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i) == QLatin1Char(' '))
        ++i;
    const bool negative = i < text.size() && text.at(i) == QLatin1Char('-');
    if (i < text.size() && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+')))
        ++i;
    const qint64 value = LeadingNumber(text.mid(i));
    return negative ? -value : value;
}

QString TextBefore(QChar c, const QString &s)
{
    const qsizetype at = s.indexOf(c);
    return at < 0 ? QString() : s.left(at);
}

QString TextAfter(QChar c, const QString &s)
{
    const qsizetype at = s.indexOf(c);
    return at < 0 ? s : s.mid(at + 1);
}

QString OneLineText(QString text)
{
    return text.replace(u'\r', u' ').replace(u'\n', u' ');
}

QStringList SplitFields(const QString &s, QChar separator, int maxIndex)
{
    QStringList fields;
    auto store = [&](const QString &field) {
        if (fields.size() > maxIndex)
            throw KorventError(QCoreApplication::translate("TextHelpers", "Too many fields: more than %1 in \"%2\"")
                                   .arg(maxIndex + 1)
                                   .arg(s.left(80)));
        fields.append(field);
    };
    qsizetype start = 0;
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s.at(i) == separator) {
            store(s.mid(start, i - start));
            start = i + 1;
        }
    }
    if (start < s.size())
        store(s.mid(start));
    return fields;
}
