#include "reports/ui/uwbReport.h"

#include "base/ui/OverrideCursor.h"
#include "base/KorventError.h"
#include "base/TextFile.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QStatusBar>
#include <QTextBrowser>
#include <QToolBar>
#include <QUrl>

TfwbReport::TfwbReport(QWidget *parent)
    : QMainWindow(parent, Qt::Window)
    , m_browser(new QTextBrowser(this))
    , m_toolBar(addToolBar(tr("Report")))
    , m_printer(new QPrinter(QPrinter::HighResolution))
{
    setObjectName(QStringLiteral("fwbReport"));
    setWindowTitle(tr("Report viewer"));
    m_browser->setObjectName(QStringLiteral("WebBrowser1"));
    m_browser->setOpenLinks(false);
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

TfwbReport::~TfwbReport()
{
    delete m_printer;
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
            QMessageBox::critical(this, tr("Korvent"), error.message());
        }
    });
    return action;
}

void TfwbReport::OpenReportFile(const QString &fileName)
{
    m_toolBar->setEnabled(false);
    const OverrideCursor wait(Qt::WaitCursor);
    m_fileName = fileName;
    // Read afresh every time: the same file name holds a new report.
    m_browser->clearHistory();
    m_browser->setSource(QUrl());
    m_browser->document()->clear();
    m_browser->setSearchPaths({QFileInfo(fileName).absolutePath()});
    m_browser->setSource(QUrl::fromLocalFile(QFileInfo(fileName).absoluteFilePath()));
    statusBar()->showMessage(fileName);
    m_toolBar->setEnabled(true);
}

void TfwbReport::saveHtml(const QString &target) const
{
    QFile source(m_fileName);
    if (!source.open(QIODevice::ReadOnly))
        throw KorventError(tr("Cannot read %1: %2").arg(m_fileName, source.errorString()));
    WriteFileBytes(target, source.readAll());
}

void TfwbReport::saveText(const QString &target) const
{
    const QString text = m_browser->document()->toPlainText();
    QByteArray bytes;
    bytes.reserve(text.size() * 2);
    for (const QChar c : text) {
        bytes.append(static_cast<char>(c.unicode() & 0xFF));
        bytes.append(static_cast<char>(c.unicode() >> 8));
    }
    WriteFileBytes(target, bytes);
}

void TfwbReport::aPrintClick()
{
    m_browser->document()->print(m_printer);
}

void TfwbReport::aPrintToClick()
{
    QPrintDialog dialog(m_printer, this);
    if (dialog.exec() == QDialog::Accepted)
        m_browser->document()->print(m_printer);
}

void TfwbReport::aPrintPreviewClick()
{
    QPrintPreviewDialog preview(m_printer, this);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter *printer) { m_browser->document()->print(printer); });
    preview.exec();
}

void TfwbReport::aPageSetupClick()
{
    QPageSetupDialog(m_printer, this).exec();
}

void TfwbReport::SaveHtmlClick()
{
    const QString target = QFileDialog::getSaveFileName(this, tr("Save as HTML file"), QString(), tr("HTML files (*.htm)"));
    if (!target.isEmpty())
        saveHtml(target.endsWith(QLatin1String(".htm")) || target.contains(u'.') ? target : target + QStringLiteral(".htm"));
}

void TfwbReport::aSaveTxtClick()
{
    const QString target = QFileDialog::getSaveFileName(this, tr("Save as Text file"), QString(), tr("Text files (*.txt);;All files (*.*)"));
    if (!target.isEmpty())
        saveText(target.contains(u'.') ? target : target + QStringLiteral(".txt"));
}

void TfwbReport::aOpenInBrowserClick()
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(m_fileName).absoluteFilePath()));
}
