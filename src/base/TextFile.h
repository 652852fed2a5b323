#pragma once

// Plain text files of the program: the program's text encoding, CR LF after
// every line, no byte-order mark.

#include <QString>
#include <QStringList>
#include <optional>

// The file's lines without their line ends; nullopt when it cannot be read
// (a missing file). A last empty line left by the final line end is dropped.
std::optional<QStringList> ReadTextLines(const QString &fileName);
// Replaces the file as a whole (never half-written); raises KorventError naming the file.
void WriteTextLines(const QString &fileName, const QStringList &lines);
// The same for bytes already encoded.
void WriteFileBytes(const QString &fileName, const QByteArray &bytes);
