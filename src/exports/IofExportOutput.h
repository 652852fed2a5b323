#pragma once

// The closing steps shared by the IOF XML exports.

#include "exports/IofExport.h"
#include "exports/XmlDocument.h"

// Writes the document to `fileName` and, when compress is set, its compressed
// copy to `compressedName` (with the work file beside it).
void SaveIofDocument(const XmlDocument &document, XmlEncoding encoding, const QString &fileName, bool compress,
                     const QString &compressedName, const ExportFileDevice &files);
