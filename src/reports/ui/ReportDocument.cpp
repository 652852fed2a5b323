#include "reports/ui/ReportDocument.h"

#include "base/GuardedFiles.h"
#include "base/TextFile.h"

#include <QFileInfo>
#include <QImage>
#include <QStringDecoder>
#include <QThread>
#include <QUrl>

std::unique_ptr<ReportDocument> ReportDocument::load(const QString &fileName, QThread *owner)
{
    const QByteArray bytes = ReadFileBytes(fileName);
    auto document = std::make_unique<ReportDocument>();
    // Relative names of pictures and style sheets are looked up beside the page.
    document->setBaseUrl(QUrl::fromLocalFile(QFileInfo(fileName).absoluteFilePath()));
    document->setMetaInformation(QTextDocument::DocumentUrl, document->baseUrl().toString());
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    QStringDecoder decoder = QStringDecoder::decoderForHtml(bytes);
    const QString text = decoder.isValid() ? decoder.decode(bytes) : QString::fromUtf8(bytes);
    if (suffix.startsWith(QLatin1String("htm")) || suffix == QLatin1String("xhtml") || Qt::mightBeRichText(text))
        document->setHtml(text);
    else
        document->setPlainText(text);
    document->moveToThread(owner);
    return document;
}

QVariant ReportDocument::loadResource(int type, const QUrl &name)
{
    const QUrl resolved = baseUrl().resolved(name);
    if (!resolved.isLocalFile() || GuardedFiles::guardedFileAt(resolved.toLocalFile()).isEmpty())
        return QTextDocument::loadResource(type, name);
    if (type == QTextDocument::ImageResource) {
        QImage blank(1, 1, QImage::Format_ARGB32);
        blank.fill(Qt::transparent);
        return blank;
    }
    return QString();
}
