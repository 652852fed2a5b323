#include "reports/ui/ReportDocument.h"

#include "base/GuardedFiles.h"
#include "base/TextFile.h"

#include <QFileInfo>
#include <QImage>
#include <QStringDecoder>
#include <QThread>
#include <QUrl>
#include <optional>
#include <QTextBlock>
#include <QTextLayout>
#include <private/qtextdocumentlayout_p.h>
#include <private/qtextengine_p.h>

namespace {

// What a whole layout depends on besides the text itself.
struct LayoutInputs
{
    QSizeF pageSize;
    qreal margin = 0;
    qreal indentWidth = 0;
    QFont font;
    QTextOption::WrapMode wrapMode = QTextOption::NoWrap;
    Qt::Alignment alignment;
    QTextOption::Flags flags;
    qreal tabStop = 0;
    Qt::LayoutDirection direction = Qt::LeftToRight;
    bool designMetrics = false;
    const QPaintDevice *device = nullptr;

    static LayoutInputs of(const QTextDocument &document)
    {
        const QTextOption option = document.defaultTextOption();
        return {document.pageSize(), document.documentMargin(), document.indentWidth(), document.defaultFont(), option.wrapMode(),
                option.alignment(), option.flags(), option.tabStopDistance(), option.textDirection(), document.useDesignMetrics(),
                document.documentLayout()->paintDevice()};
    }
    bool operator==(const LayoutInputs &) const = default;
};

// Keeps the layout made on the worker thread. The viewer asks for the whole
// page to be laid out again when it takes the document (it sets the page
// width, even an unchanged one); a table is laid out whole in one step, so on
// the window thread that froze it for seconds. Such a request is answered by
// the layout already made as long as nothing it depends on has changed.
class LaidOutLayout final : public QTextDocumentLayout
{
public:
    explicit LaidOutLayout(QTextDocument *document) : QTextDocumentLayout(document) {}

    // Lays the whole page out. The lines keep the font engines they were
    // shaped with, which belong to this thread and go with it; they are let
    // go, and the window thread finds its own when it draws.
    void layOut(const QSizeF &pageSize)
    {
        document()->setPageSize(pageSize);
        documentSize();
        for (QTextBlock block = document()->begin(); block.isValid(); block = block.next())
            block.layout()->engine()->resetFontEngineCache();
        m_laidOut = LayoutInputs::of(*document());
    }

protected:
    void documentChanged(int from, int oldLength, int length) override
    {
        if (m_laidOut) {
            const bool wholeAgain = from == 0 && oldLength == 0 && length == document()->characterCount();
            if (wholeAgain && LayoutInputs::of(*document()) == *m_laidOut) {
                // Those who show the page are told of it as a new layout
                // would tell them; else the view kept what it drew before.
                emit documentSizeChanged(documentSize());
                emit update();
                return;
            }
            m_laidOut.reset();
        }
        QTextDocumentLayout::documentChanged(from, oldLength, length);
    }

private:
    std::optional<LayoutInputs> m_laidOut; // the layout is whole and was made with these
};

} // namespace

std::unique_ptr<ReportDocument> ReportDocument::load(const QString &fileName, QThread *owner, const View &view)
{
    const QByteArray bytes = ReadFileBytes(fileName);
    auto document = std::make_unique<ReportDocument>();
    // Relative names of pictures and style sheets are looked up beside the page.
    document->setBaseUrl(QUrl::fromLocalFile(QFileInfo(fileName).absoluteFilePath()));
    document->setMetaInformation(QTextDocument::DocumentUrl, document->baseUrl().toString());
    QTextOption option = document->defaultTextOption();
    option.setWrapMode(view.wrapMode);
    document->setDefaultTextOption(option);
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    QStringDecoder decoder = QStringDecoder::decoderForHtml(bytes);
    const QString text = decoder.isValid() ? decoder.decode(bytes) : QString::fromUtf8(bytes);
    if (suffix.startsWith(QLatin1String("htm")) || suffix == QLatin1String("xhtml") || Qt::mightBeRichText(text))
        document->setHtml(text);
    else
        document->setPlainText(text);
    if (view.width > 0) {
        auto *layout = new LaidOutLayout(document.get());
        document->setDocumentLayout(layout);
        layout->layOut(QSizeF(view.width, -1));
    }
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
