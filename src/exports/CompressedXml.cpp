#include "exports/CompressedXml.h"

#include "base/KorventError.h"
#include "base/Platform.h"

#include <QCoreApplication>
#include <QFileDevice>
#include <QIODevice>
#include <zlib.h>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(CompressedXml)
};

// 57 bytes of the stream make one line.
constexpr qsizetype base64LineLength = 76;

QByteArray zlibStream(const QByteArray &source)
{
    uLongf length = compressBound(static_cast<uLong>(source.size()));
    QByteArray stream(static_cast<qsizetype>(length), Qt::Uninitialized);
    const int status = compress2(reinterpret_cast<Bytef *>(stream.data()), &length,
                                 reinterpret_cast<const Bytef *>(source.constData()), static_cast<uLong>(source.size()), 9);
    if (status != Z_OK)
        throw KorventError(Texts::tr("The XML file cannot be compressed (zlib error %1)").arg(status));
    stream.resize(static_cast<qsizetype>(length));
    return stream;
}

void writeAll(QIODevice &device, const QByteArray &bytes)
{
    if (device.write(bytes) == bytes.size())
        return;
    const auto *file = qobject_cast<QFileDevice *>(&device);
    const QString name = file ? file->fileName() : Texts::tr("the compressed XML file");
    throw KorventError(Texts::tr("Cannot write %1: %2").arg(name, device.errorString()));
}

} // namespace

void WriteCompressedXml(const QByteArray &source, QIODevice &workFile, QIODevice &target)
{
    const QByteArray stream = zlibStream(source);
    writeAll(workFile, stream);

    const QByteArray lineEnd(Platform::lineEnd);
    const QByteArray encoded = stream.toBase64();
    QByteArray text = QByteArrayLiteral("<?xml version=\"1.0\"?>") + lineEnd
        + QByteArrayLiteral("<CompressedData method=\"zlib\" encoding=\"BASE64\">") + lineEnd;
    for (qsizetype at = 0; at < encoded.size(); at += base64LineLength) {
        if (at > 0)
            text += lineEnd;
        text += encoded.mid(at, base64LineLength);
    }
    text += QByteArrayLiteral("</CompressedData>") + lineEnd;
    writeAll(target, text);
}
