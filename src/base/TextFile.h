#pragma once

// Plain text files of the program: the program's text encoding, CR LF after
// every line, no byte-order mark.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

// A line as read: its text without the line end, and the bytes it came from
// with the line end, so that a file can be written back unchanged where it
// was not edited (bytes the encoding cannot read included).
struct TextLine
{
    QString text;
    QByteArray bytes;
};

// The bytes of a plain file; nullopt when it is missing or unreadable, or is
// no plain file (a device would be read without end, a pipe would wait for a
// writer). Every read and write of this file refuses the open database's
// files (GuardedFiles) with a KorventError naming the file.
std::optional<QByteArray> ReadPlainFile(const QString &fileName);
// The same, raising KorventError that names the file and why it cannot be read.
QByteArray ReadFileBytes(const QString &fileName);

// The file's lines; nullopt when it cannot be read (a missing file, or no
// plain file at all). A last empty line left by the final line end is dropped.
std::optional<std::vector<TextLine>> ReadTextLinesWithBytes(const QString &fileName);
// The same, text only.
std::optional<QStringList> ReadTextLines(const QString &fileName);
// The lines as one text, CR LF after every line.
QString TextOfLines(const QStringList &lines);
// Replaces the file as a whole (never half-written); raises KorventError naming
// the file, also for a device or a pipe, which cannot be replaced whole.
void WriteTextLines(const QString &fileName, const QStringList &lines);
// The same for bytes already encoded.
void WriteFileBytes(const QString &fileName, const QByteArray &bytes);
// Raises the KorventError WriteFileBytes would raise before writing: a guarded
// file, a device or a pipe at that name.
void RefuseUnwritableFile(const QString &fileName);
