#include "reports/ui/PrintJob.h"

#include <QAbstractTextDocumentLayout>
#include <QGuiApplication>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QTextDocument>
#include <QTextFrame>
#include <memory>

int PrintedPageCount(const QTextDocument &document, QPrinter &printer)
{
    // Margins of 2 cm in screen units and pages of the printer's size, as
    // printing a document without a page size of its own lays it out.
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QPaintDevice *source = document.documentLayout()->paintDevice();
    const qreal dpiX = source ? source->logicalDpiX() : screen ? qRound(screen->logicalDotsPerInchX()) : 96;
    const qreal dpiY = source ? source->logicalDpiY() : screen ? qRound(screen->logicalDotsPerInchY()) : 96;
    std::unique_ptr<QTextDocument> copy(document.clone());
    copy->documentLayout()->setPaintDevice(&printer);
    QTextFrameFormat frame = copy->rootFrame()->frameFormat();
    frame.setLeftMargin(int(2 / 2.54 * dpiX));
    frame.setRightMargin(int(2 / 2.54 * dpiX));
    frame.setTopMargin(int(2 / 2.54 * dpiY));
    frame.setBottomMargin(int(2 / 2.54 * dpiY));
    copy->rootFrame()->setFrameFormat(frame);
    copy->setPageSize(QSizeF(printer.width(), printer.height()));
    return copy->pageCount();
}

bool AskPrintJob(QPrinter &printer, const QTextDocument &document, QAbstractPrintDialog::PrintDialogOptions options, QWidget *parent)
{
    const int pages = qMax(1, PrintedPageCount(document, printer));
    printer.setPrintRange(QPrinter::PageRange);
    printer.setFromTo(1, pages);
    QPrintDialog dialog(&printer, parent);
    dialog.setOptions(options | QAbstractPrintDialog::PrintPageRange);
    dialog.setMinMax(1, pages);
    return dialog.exec() == QDialog::Accepted;
}
