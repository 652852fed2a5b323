#include "entries/EntryFields.h"

#include "base/KorventError.h"
#include "store/TextHelpers.h"

#include <QCoreApplication>

namespace {

// At most 21 fields are read from a team entry line.
constexpr int entryLineMaxIndex = 20;
// Fewer fields than this after splitting at ";" mean the line uses ",".
constexpr int entryLineMinFields = 8;

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(EntryFields)
};

} // namespace

QStringList SplitQuotedFields(const QString &text, QChar separator, int maxIndex)
{
    QStringList fields;
    const auto store = [&](const QString &field) {
        if (fields.size() > maxIndex)
            throw KorventError(Texts::tr("Too many fields: more than %1 in \"%2\"").arg(maxIndex + 1).arg(text.left(80)));
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
