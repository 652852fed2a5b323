#include "base/IniFile.h"

#include "base/KorventError.h"
#include "base/Platform.h"
#include "base/TextFile.h"

#include <QCoreApplication>

IniFile::IniFile(const QString &fileName)
    : m_fileName(fileName)
{
    m_sections.push_back(Section{});
    const std::optional<std::vector<TextLine>> lines = ReadTextLinesWithBytes(fileName);
    if (!lines)
        return;
    // UTF-16 and UTF-32 start with a byte-order mark and hold NUL bytes; both
    // they and a binary file would be turned into a mix of encodings.
    if (!lines->empty() && (lines->front().bytes.startsWith("\xFF\xFE") || lines->front().bytes.startsWith("\xFE\xFF")))
        m_notText = true;
    for (const TextLine &line : *lines) {
        if (line.bytes.contains('\0'))
            m_notText = true;
        const QString trimmed = line.text.trimmed();
        if (trimmed.startsWith(QLatin1Char('[')) && trimmed.endsWith(QLatin1Char(']'))) {
            m_sections.push_back(Section{trimmed.mid(1, trimmed.size() - 2).trimmed(), line.bytes, {}});
            continue;
        }
        const qsizetype equals = line.text.indexOf(QLatin1Char('='));
        if (equals > 0 && !trimmed.startsWith(QLatin1Char(';')))
            m_sections.back().entries.push_back(Entry{line.text.left(equals).trimmed(), line.text.mid(equals + 1), line.bytes});
        else
            m_sections.back().entries.push_back(Entry{QString(), line.text, line.bytes});
    }
}

const IniFile::Section *IniFile::findSection(const QString &name) const
{
    for (const Section &section : m_sections)
        if (!section.name.isEmpty() && section.name.compare(name, Qt::CaseInsensitive) == 0)
            return &section;
    return nullptr;
}

IniFile::Section &IniFile::sectionForWriting(const QString &name)
{
    if (const Section *found = findSection(name))
        return const_cast<Section &>(*found);
    m_sections.push_back(Section{name, {}, {}});
    return m_sections.back();
}

const IniFile::Entry *IniFile::findEntry(const QString &section, const QString &key) const
{
    const Section *found = findSection(section);
    if (!found)
        return nullptr;
    for (const Entry &entry : found->entries)
        if (!entry.key.isEmpty() && entry.key.compare(key, Qt::CaseInsensitive) == 0)
            return &entry;
    return nullptr;
}

bool IniFile::hasKey(const QString &section, const QString &key) const
{
    return findEntry(section, key) != nullptr;
}

QString IniFile::readString(const QString &section, const QString &key, const QString &defaultValue) const
{
    const Entry *entry = findEntry(section, key);
    return entry ? entry->value : defaultValue;
}

qint64 IniFile::readInteger(const QString &section, const QString &key, qint64 defaultValue) const
{
    bool ok = false;
    const qint64 value = readString(section, key).trimmed().toLongLong(&ok);
    return ok ? value : defaultValue;
}

QString IniFile::dateTimeFormat()
{
    return QStringLiteral("yyyy-MM-dd HH:mm:ss");
}

QStringList IniFile::keys(const QString &section) const
{
    QStringList result;
    if (const Section *found = findSection(section))
        for (const Entry &entry : found->entries)
            if (!entry.key.isEmpty())
                result.append(entry.key);
    return result;
}

QStringList IniFile::ignoredLines(const QString &section) const
{
    QStringList lines;
    const Section *first = findSection(section);
    if (!first)
        return lines;
    const auto lineOf = [](const Entry &entry) { return entry.key.isEmpty() ? entry.value : entry.key + u'=' + entry.value; };
    QStringList seen;
    for (const Entry &entry : first->entries) {
        if (entry.key.isEmpty())
            continue;
        if (seen.contains(entry.key, Qt::CaseInsensitive))
            lines.append(lineOf(entry));
        else
            seen.append(entry.key);
    }
    for (const Entry &entry : first->kept)
        lines.append(lineOf(entry));
    for (const Section &other : m_sections) {
        if (&other == first || other.name.compare(section, Qt::CaseInsensitive) != 0)
            continue;
        lines.append(u'[' + other.name + u']');
        for (const Entry &entry : other.entries)
            lines.append(lineOf(entry));
    }
    return lines;
}

QString IniFile::notTextMessage(const char *doing) const
{
    return QCoreApplication::translate("IniFile", "Cannot %1 %2: it is not a text file in %3 (it is UTF-16 or binary); "
                                                  "save it as %3 text or remove it")
        .arg(QCoreApplication::translate("IniFile", doing), m_fileName, Platform::textEncoding());
}

void IniFile::requireText() const
{
    if (m_notText)
        throw KorventError(notTextMessage(QT_TRANSLATE_NOOP("IniFile", "read")));
}

void IniFile::writeString(const QString &section, const QString &key, const QString &value)
{
    // A line break would end the line early and turn the rest into lines of their own.
    const auto hasLineBreak = [](const QString &text) { return text.contains(u'\r') || text.contains(u'\n'); };
    if (hasLineBreak(section) || hasLineBreak(key) || hasLineBreak(value))
        throw KorventError(QCoreApplication::translate("IniFile", "Cannot write %1 to %2: the value holds a line break")
                               .arg(key, m_fileName));
    Section &target = sectionForWriting(section);
    for (Entry &entry : target.entries) {
        if (!entry.key.isEmpty() && entry.key.compare(key, Qt::CaseInsensitive) == 0) {
            if (entry.value != value) {
                entry.value = value;
                entry.bytes.clear();
                m_modified = true;
            }
            return;
        }
    }
    target.entries.push_back(Entry{key, value, {}});
    m_modified = true;
}

void IniFile::eraseSection(const QString &section)
{
    const Section *found = findSection(section);
    if (!found)
        return;
    Section &erased = const_cast<Section &>(*found);
    std::vector<Entry> kept = std::move(erased.kept);
    QStringList seen;
    for (Entry &entry : erased.entries) {
        if (entry.key.isEmpty())
            continue;
        if (seen.contains(entry.key, Qt::CaseInsensitive))
            kept.push_back(std::move(entry));
        else
            seen.append(entry.key);
    }
    if (!erased.entries.empty())
        m_modified = true;
    erased.entries.clear();
    erased.kept = std::move(kept);
}

void IniFile::save() const
{
    if (m_notText && m_modified)
        throw KorventError(notTextMessage(QT_TRANSLATE_NOOP("IniFile", "write")));
    QByteArray bytes;
    const auto append = [&bytes](const QByteArray &read, const QString &text) {
        if (!read.isEmpty()) {
            bytes += read;
            return;
        }
        if (!bytes.isEmpty() && !bytes.endsWith('\n'))
            bytes += Platform::lineEnd;
        bytes += Platform::encodeText(text) + Platform::lineEnd;
    };
    for (const Section &section : m_sections) {
        if (!section.name.isEmpty())
            append(section.header, u'[' + section.name + u']');
        for (const std::vector<Entry> *entries : {&section.entries, &section.kept})
            for (const Entry &entry : *entries)
                append(entry.bytes, entry.key.isEmpty() ? entry.value : entry.key + u'=' + entry.value);
    }
    WriteFileBytes(m_fileName, bytes);
}
