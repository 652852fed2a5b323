#pragma once

// INI files as the program and other tools write them: [section] lines and
// key=value lines, CR LF, in the program's text encoding. Values are kept
// verbatim (no quoting, no list splitting); section and key names match
// without regard to letter case. Lines that are not changed are written back
// byte for byte, whatever they hold. Only the first of a repeated section or of
// a repeated key in a section is read; the others are kept, never deleted.

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <vector>

class IniFile
{
public:
    // Reads the file when it exists; a missing file is an empty INI file.
    explicit IniFile(const QString &fileName);

    const QString &fileName() const { return m_fileName; }

    bool hasKey(const QString &section, const QString &key) const;
    QString readString(const QString &section, const QString &key, const QString &defaultValue = QString()) const;
    // An unreadable number gives the default.
    qint64 readInteger(const QString &section, const QString &key, qint64 defaultValue) const;
    QStringList keys(const QString &section) const;
    // The lines of the section that are not read: a key repeated, a section
    // repeated (its header and every line of it).
    QStringList ignoredLines(const QString &section) const;
    // Raises KorventError when the file is not text in the program's encoding
    // (UTF-16, binary): what it holds cannot be read, and defaults would
    // silently stand for it.
    void requireText() const;
    // "YYYY-MM-DD HH:MM:SS": how the program writes a date-time into a file of settings.
    static QString dateTimeFormat();

    // Raises KorventError for a line break in the section, key or value: a line holds one entry.
    void writeString(const QString &section, const QString &key, const QString &value);
    // Erases what is read of the section; its ignored lines stay, after what is written into it.
    void eraseSection(const QString &section);

    // A value was written that differs from the one read, or a section erased.
    bool isModified() const { return m_modified; }
    // Writes the whole file; raises KorventError when it cannot be written,
    // or when a change would go into a file that is not text in the program's
    // encoding (UTF-16, binary): its lines would be mixed with lines of another.
    void save() const;

private:
    struct Entry
    {
        QString key;   // empty for a line kept verbatim
        QString value; // or the verbatim line
        QByteArray bytes; // as read, line end included; empty once changed
    };
    struct Section
    {
        QString name;
        QByteArray header; // the [name] line as read
        std::vector<Entry> entries;
        std::vector<Entry> kept; // ignored lines of an erased section, written after the entries
    };

    const Section *findSection(const QString &name) const;
    Section &sectionForWriting(const QString &name);
    const Entry *findEntry(const QString &section, const QString &key) const;
    QString notTextMessage(const char *doing) const;

    QString m_fileName;
    bool m_modified = false;
    bool m_notText = false;
    std::vector<Section> m_sections; // the first one is nameless: lines before any [section]
};
