#pragma once

#include <QByteArray>

class QIODevice;

// The compressed copy of an XML file that result services take: the source
// as a zlib stream (level 9) written to `workFile`, and in `target` that
// stream in Base64 lines of 76 characters inside a CompressedData element,
// CR LF line ends. Raises KorventError when a device cannot be written.
void WriteCompressedXml(const QByteArray &source, QIODevice &workFile, QIODevice &target);
