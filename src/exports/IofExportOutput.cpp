#include "exports/IofExportOutput.h"

#include "exports/CompressedXml.h"

#include "base/KorventError.h"

#include <QCoreApplication>
#include <QIODevice>

void SaveIofDocument(const XmlDocument &document, XmlEncoding encoding, const QString &fileName, bool compress,
                     const QString &compressedName, const ExportFileDevice &files)
{
    const QByteArray bytes = document.toBytes(encoding);
    QIODevice &device = files(fileName);
    if (device.write(bytes) != bytes.size())
        throw KorventError(QCoreApplication::translate("IofExport", "Cannot write %1: %2").arg(fileName, device.errorString()));
    if (compress)
        WriteCompressedXml(bytes, files(IofExportFiles::work), files(compressedName));
}
