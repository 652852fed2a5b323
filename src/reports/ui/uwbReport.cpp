#include "reports/ui/uwbReport.h"

#include "reports/ui/TextPrinter.h"
#include "reports/ui/ReportDocument.h"

#include "reports/ui/PrintJob.h"

#include "base/KorventError.h"
#include "base/ui/MessageBoxSink.h"
#include "base/TextFile.h"
#include "base/ui/FileDialogs.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QStringEncoder>
#include <QFileInfo>
#include <QLayout>
#include <QPageSetupDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QStatusBar>
#include <QTextBrowser>
#include <QThread>
#include <QToolBar>
#include <QUrl>

namespace {

// The dialog adds the extension to a file name that has none (dots in the
// folder names do not count) before it asks whether to overwrite.
QString askSaveFileName(QWidget *parent, const QString &title, const QString &filter, const QString &extension)
{
    return ChooseFileName(parent, {.kind = FileQuestion::FileToWrite, .caption = title, .filters = filter, .defaultSuffix = extension});
}

} // namespace

TfwbReport::TfwbReport(QWidget *parent)
    : QMainWindow(parent, Qt::Window)
    , m_browser(new QTextBrowser(this))
    , m_toolBar(addToolBar(tr("Report")))
{
    setObjectName(QStringLiteral("fwbReport"));
    setWindowTitle(tr("Report viewer"));
    m_browser->setObjectName(QStringLiteral("WebBrowser1"));
    m_browser->setOpenLinks(false);
    // A scroll bar that appeared once the page was long would narrow the page
    // and lay the whole of it out again: on a results page of thousands of
    // teams that doubles the seconds the window stands still.
    m_browser->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setCentralWidget(m_browser);
    m_toolBar->setObjectName(QStringLiteral("ToolBar1"));
    m_toolBar->setMovable(false);

    addAction("aPrint", tr("Print"), tr("Print"), QKeySequence(Qt::CTRL | Qt::Key_P), &TfwbReport::aPrintClick);
    addAction("aPrintTo", tr("Print to"), tr("Print (with dialog)"), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_P), &TfwbReport::aPrintToClick);
    m_toolBar->addSeparator();
    addAction("aPrintPreview", tr("Print preview"), tr("Print preview"), QKeySequence(Qt::Key_F5), &TfwbReport::aPrintPreviewClick);
    addAction("aPageSetup", tr("Page setup"), QString(), {}, &TfwbReport::aPageSetupClick);
    m_toolBar->addSeparator();
    addAction("SaveHtml", tr("Save as HTML"), tr("Save report as HTML file"), QKeySequence(Qt::CTRL | Qt::Key_S), &TfwbReport::SaveHtmlClick);
    addAction("aSaveTxt", tr("Save as text"), tr("Save reporta as text file"), QKeySequence(Qt::CTRL | Qt::Key_T), &TfwbReport::aSaveTxtClick);
    // Web result pages run scripts, which only a web browser does.
    addAction("aOpenInBrowser", tr("Open in web browser"), tr("Open the page in the desktop's web browser"), {}, &TfwbReport::aOpenInBrowserClick);
    m_toolBar->addSeparator();
    addAction("aClose", tr("Close"), QString(), {}, &QWidget::hide);
    m_toolBar->setEnabled(false);
    statusBar();
    connect(m_browser, &QTextBrowser::highlighted, this, [this](const QUrl &link) { statusBar()->showMessage(link.toString()); });
    resize(900, 700);
}

void TfwbReport::showEvent(QShowEvent *event)
{
    if (!m_placed && parentWidget()) {
        const QRect frame = frameGeometry();
        move(parentWidget()->window()->frameGeometry().center() - QPoint(frame.width() / 2, frame.height() / 2));
    }
    m_placed = true;
    QMainWindow::showEvent(event);
}

QAction *TfwbReport::addAction(const char *name, const QString &caption, const QString &hint, const QKeySequence &shortcut,
                               void (TfwbReport::*handler)())
{
    QAction *action = m_toolBar->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    action->setToolTip(hint.isEmpty() ? caption : hint);
    action->setStatusTip(hint);
    action->setShortcut(shortcut);
    connect(action, &QAction::triggered, this, [this, handler] {
        if (m_fileName.isEmpty())
            return; // no document
        try {
            (this->*handler)();
        } catch (const KorventError &error) {
            MessageBoxSink(this).error(error.message());
        }
    });
    return action;
}

TfwbReport::~TfwbReport()
{
    for (QThread *loading : findChildren<QThread *>(Qt::FindDirectChildrenOnly))
        loading->wait();
}

void TfwbReport::OpenReportFile(const QString &fileName)
{
    m_toolBar->setEnabled(false);
    m_fileName = fileName;
    const int request = ++m_request;
    // Read afresh every time: the same file name holds a new report.
    // A page shown before is ours to delete; the browser deletes its own.
    QTextDocument *shown = m_browser->document();
    const bool loadedPage = shown->parent() == m_browser;
    m_browser->setDocument(nullptr);
    if (loadedPage)
        delete shown;
    m_browser->setPlainText(tr("Loading…"));
    m_browser->setSearchPaths({QFileInfo(fileName).absolutePath()});
    statusBar()->showMessage(fileName);

    struct Loaded
    {
        std::unique_ptr<ReportDocument> document;
        std::optional<KorventError> error;
    };
    auto loaded = std::make_shared<Loaded>();
    QThread *owner = thread();
    const ReportDocument::View view{pageWidth(), m_browser->wordWrapMode()};
    QThread *worker = QThread::create([loaded, fileName, owner, view] {
        try {
            loaded->document = ReportDocument::load(fileName, owner, view);
        } catch (const KorventError &error) {
            loaded->error = error;
        }
    });
    worker->setParent(this);
    connect(worker, &QThread::finished, this, [this, worker, loaded, request] {
        worker->wait(); // it has just said it is finished
        delete worker;
        if (request != m_request)
            return; // another page was asked for meanwhile
        if (loaded->error) {
            // Said in the viewer rather than in a box: the operator has
            // gone on with other work meanwhile.
            m_browser->setPlainText(loaded->error->message());
            return;
        }
        // The browser owns the page; the next one deletes it.
        loaded->document->setParent(m_browser);
        m_browser->setDocument(loaded->document.release());
        m_toolBar->setEnabled(true);
    });
    worker->start();
}

int TfwbReport::pageWidth()
{
    if (isVisible())
        return m_browser->viewport()->width();
    // The main window opens the page before it shows the viewer: the width
    // the page will have once the window is laid out.
    layout()->activate();
    return m_browser->maximumViewportSize().width();
}

void TfwbReport::saveHtml(const QString &target) const
{
    WriteFileBytes(target, ReadFileBytes(m_fileName));
}

void TfwbReport::saveText(const QString &target) const
{
    // UTF-16 little-endian without a byte-order mark, as other tools read these files.
    QStringEncoder toUtf16(QStringConverter::Utf16LE);
    const QByteArray bytes = toUtf16(m_browser->document()->toPlainText());
    WriteFileBytes(target, bytes);
}

std::unique_ptr<QPrinter> TfwbReport::jobPrinter(const QPrinterInfo &target) const
{
    auto printer = std::make_unique<QPrinter>(target, QPrinter::HighResolution);
    if (m_pageLayout)
        printer->setPageLayout(*m_pageLayout);
    return printer;
}

void TfwbReport::aPrintClick()
{
    m_browser->document()->print(jobPrinter(DefaultPrinter()).get());
}

void TfwbReport::aPrintToClick()
{
    const auto printer = jobPrinter();
    if (AskPrintJob(*printer, *m_browser->document(), QAbstractPrintDialog::PrintToFile, this))
        m_browser->document()->print(printer.get());
}

void TfwbReport::aPrintPreviewClick()
{
    const auto printer = jobPrinter();
    QPrintPreviewDialog preview(printer.get(), this);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter *target) { m_browser->document()->print(target); });
    preview.exec();
}

void TfwbReport::aPageSetupClick()
{
    const auto printer = jobPrinter();
    if (QPageSetupDialog(printer.get(), this).exec() == QDialog::Accepted)
        m_pageLayout = printer->pageLayout();
}

void TfwbReport::SaveHtmlClick()
{
    const QString target = askSaveFileName(this, tr("Save as HTML file"), tr("HTML files (*.htm)"), QStringLiteral("htm"));
    if (!target.isEmpty())
        saveHtml(target);
}

void TfwbReport::aSaveTxtClick()
{
    const QString target = askSaveFileName(this, tr("Save as Text file"), tr("Text files (*.txt);;All files (*.*)"), QStringLiteral("txt"));
    if (!target.isEmpty())
        saveText(target);
}

void TfwbReport::aOpenInBrowserClick()
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(m_fileName).absoluteFilePath()));
}
