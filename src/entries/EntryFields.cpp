#include "entries/EntryFields.h"

#include "base/KorventError.h"
#include "base/Platform.h"
#include "store/TextHelpers.h"

#include <QCoreApplication>
#include <QLocale>
#include <QRegularExpression>

namespace {

// At most 21 fields are read from a team entry line.
constexpr int entryLineMaxIndex = 20;
// Fewer fields than this after splitting at ";" mean the line uses ",".
constexpr int entryLineMinFields = 8;

QString tr(const char *text)
{
    return QCoreApplication::translate("EntryFields", text);
}

} // namespace

QStringList SplitQuotedFields(const QString &text, QChar separator, int maxIndex)
{
    QStringList fields;
    const auto store = [&](const QString &field) {
        if (fields.size() > maxIndex)
            throw KorventError(tr("Too many fields: more than %1 in \"%2\"").arg(maxIndex + 1).arg(text.left(80)));
        fields.append(field);
    };
    const QChar quote(u'"');
    bool inQuotes = false;
    QString field;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == quote && !inQuotes) {
            inQuotes = true;
        } else if (c == separator && !inQuotes) {
            store(field);
            field.clear();
        } else if (c == separator && i > 0 && text.at(i - 1) == quote) {
            field.chop(1);
            store(field);
            field.clear();
            inQuotes = false;
        } else if (c == quote && i == text.size() - 1) {
            store(field);
            field.clear();
            inQuotes = false;
        } else {
            field += c;
        }
    }
    if (!field.isEmpty())
        store(field);
    return fields;
}

QString StripQuotes(const QString &text)
{
    if (text.isEmpty() || text == QLatin1String("\"\""))
        return QString();
    if (text.size() < 3)
        return text;
    if (text.startsWith(u'"'))
        return text.mid(1, text.size() - 2);
    return text;
}

QStringList SplitEntryLine(const QString &line)
{
    const bool quoted = line.startsWith(u'"');
    const auto split = [&](QChar separator) {
        return quoted ? SplitQuotedFields(line, separator, entryLineMaxIndex) : SplitFields(line, separator, entryLineMaxIndex);
    };
    QStringList fields = split(u';');
    if (fields.size() < entryLineMinFields)
        fields = split(u',');
    return fields;
}

std::optional<QDate> ReadBirthDate(const QString &text)
{
    return ReadBirthDate(text, Platform::shortDateFormat());
}

std::optional<QDate> ReadBirthDate(const QString &text, const QString &format)
{
    static const QRegularExpression iso(QStringLiteral("^(\\d{4})-(\\d{1,2})-(\\d{1,2})$"));
    const QString trimmed = text.trimmed();
    if (const QRegularExpressionMatch match = iso.match(trimmed); match.hasMatch()) {
        const QDate date(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
        return date.isValid() ? std::optional<QDate>(date) : std::nullopt;
    }

    // The order of day, month and year and the separators come from the
    // format; each part may be written with fewer digits than the format shows.
    static const QRegularExpression part(QStringLiteral("d+|M+|y+"));
    QString pattern = QStringLiteral("^");
    QList<QChar> order;
    qsizetype at = 0;
    for (QRegularExpressionMatchIterator it = part.globalMatch(format); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        pattern += QRegularExpression::escape(format.mid(at, match.capturedStart() - at));
        const QString letters = match.captured();
        if (letters.size() > 2 && letters.at(0) != u'y') {
            // Day or month names: the locale reads them.
            const QDate date = QLocale::system().toDate(trimmed, format);
            return date.isValid() ? std::optional<QDate>(date) : std::nullopt;
        }
        pattern += letters.at(0) == u'y' ? QStringLiteral("(\\d{4}|\\d{2})") : QStringLiteral("(\\d{1,2})");
        order.append(letters.at(0));
        at = match.capturedEnd();
    }
    pattern += QRegularExpression::escape(format.mid(at)) + u'$';
    if (order.size() != 3)
        return std::nullopt;
    const QRegularExpressionMatch match = QRegularExpression(pattern).match(trimmed);
    if (!match.hasMatch())
        return std::nullopt;
    int day = 0, month = 0, year = 0;
    bool twoDigitYear = false;
    for (qsizetype i = 0; i < order.size(); ++i) {
        const QString digits = match.captured(static_cast<int>(i) + 1);
        (order[i] == u'd' ? day : order[i] == u'M' ? month : year) = digits.toInt();
        if (order[i] == u'y')
            twoDigitYear = digits.size() == 2;
    }
    if (twoDigitYear) {
        const int thisYear = QDate::currentDate().year();
        year += thisYear / 100 * 100;
        if (year > thisYear)
            year -= 100;
    }
    const QDate date(year, month, day);
    return date.isValid() ? std::optional<QDate>(date) : std::nullopt;
}

QString BirthDateForms()
{
    return Platform::shortDateFormat() + tr(" or YYYY-MM-DD");
}
