#pragma once

// The report viewer: one window for the whole run, showing the last report
// page with its style sheets; print, preview, page setup and saving. It is
// centred on its parent window the first time it is shown.

#include <QMainWindow>
#include <QPageLayout>
#include <QPrinterInfo>
#include <memory>
#include <optional>

class QAction;
class QPrinter;
class QTextBrowser;
class QToolBar;

class TfwbReport : public QMainWindow
{
    Q_OBJECT

public:
    explicit TfwbReport(QWidget *parent = nullptr);
    ~TfwbReport() override;

    // A printer for one job: the default printer with the page setup. "Print"
    // prints on it; "Print to" lets the operator change it for that job only.
    std::unique_ptr<QPrinter> jobPrinter(const QPrinterInfo &target = QPrinterInfo::defaultPrinter()) const;

    // Loads the page on a worker thread and returns at once; the browser says
    // "Loading…" and the tool bar is off until the page is shown.
    void OpenReportFile(const QString &fileName);
    const QString &fileName() const { return m_fileName; }
    QTextBrowser *browser() const { return m_browser; }
    QToolBar *toolBar() const { return m_toolBar; }

    // The page's markup as written, and its visible text as UTF-16LE without byte-order mark.
    void saveHtml(const QString &target) const;
    void saveText(const QString &target) const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QAction *addAction(const char *name, const QString &caption, const QString &hint, const QKeySequence &shortcut,
                       void (TfwbReport::*handler)());
    int pageWidth(); // of the page in the browser
    void aPrintClick();
    void aPrintToClick();
    void aPrintPreviewClick();
    void aPageSetupClick();
    void SaveHtmlClick();
    void aSaveTxtClick();
    void aOpenInBrowserClick();

    QTextBrowser *m_browser;
    QToolBar *m_toolBar;
    std::optional<QPageLayout> m_pageLayout; // from page setup
    QString m_fileName;
    bool m_placed = false;
    int m_request = 0; // the latest page asked for; pages loaded for earlier ones are dropped
};
