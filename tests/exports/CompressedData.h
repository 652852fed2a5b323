#pragma once

// Reads a compressed XML copy back: the Base64 text inside CompressedData,
// and the zlib stream inflated.

#include <QByteArray>
#include <zlib.h>

inline QByteArray compressedDataBase64(const QByteArray &wrapper)
{
    const QByteArray open = "<CompressedData method=\"zlib\" encoding=\"BASE64\">\r\n";
    const qsizetype start = wrapper.indexOf(open);
    const qsizetype end = wrapper.indexOf("</CompressedData>");
    if (start < 0 || end < start)
        return QByteArray();
    return wrapper.mid(start + open.size(), end - start - open.size());
}

inline QByteArray inflateZlib(const QByteArray &stream)
{
    z_stream z{};
    if (inflateInit(&z) != Z_OK)
        return QByteArray();
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(stream.constData()));
    z.avail_in = static_cast<uInt>(stream.size());
    QByteArray out;
    char chunk[4096];
    int status = Z_OK;
    while (status == Z_OK) {
        z.next_out = reinterpret_cast<Bytef *>(chunk);
        z.avail_out = sizeof chunk;
        status = inflate(&z, Z_NO_FLUSH);
        out.append(chunk, static_cast<qsizetype>(sizeof chunk - z.avail_out));
    }
    inflateEnd(&z);
    return status == Z_STREAM_END ? out : QByteArray();
}

// The bytes the wrapper carries; empty when it is not well made.
inline QByteArray decodeCompressedData(const QByteArray &wrapper)
{
    QByteArray base64 = compressedDataBase64(wrapper);
    base64.replace("\r\n", "");
    return inflateZlib(QByteArray::fromBase64(base64));
}
