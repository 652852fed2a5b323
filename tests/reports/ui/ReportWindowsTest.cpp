#include "LoopBeat.h"
#include "ModalDialogs.h"
#include "TestFolder.h"

#include "output/ReportFileOutput.h"
#include "registry/ReportRegistry.h"
#include "reports/ui/FindDialog.h"
#include "reports/ui/PrintJob.h"
#include "reports/ui/uMDItekst.h"
#include "reports/ui/uSelectReport.h"
#include "reports/ui/uwbReport.h"
#include "shell/EventGenerator.h"
#include "store/EventSetup.h"
#include "store/uData.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QListWidget>
#include <QMessageBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QAbstractTextDocumentLayout>
#include <QTest>
#include <QTextBrowser>
#include <QToolBar>
#include <gtest/gtest.h>

namespace {

// Answers the next message box with the given button.
void answerNextMessageBox(QMessageBox::StandardButton button, QString *text = nullptr)
{
    whenModal<QMessageBox>([button, text](QMessageBox *box) {
        if (text)
            *text = box->text();
        box->button(button)->click();
    });
}

// A page long enough for several printed pages.
QString writeLongPage(const QTemporaryDir &dir)
{
    QByteArray html = "<html><body>";
    for (int i = 0; i < 150; ++i)
        html += "<p>Team " + QByteArray::number(i) + "</p>";
    const QString page = folderOf(dir) + QStringLiteral("long.htm");
    writeFile(page, html + "</body></html>");
    return page;
}

// A results page with splits: a table per class, a row per team holding its
// splits as a table of their own, team names as links.
QString writeSplitsPage(const QTemporaryDir &dir, int teamsPerClass, int splits)
{
    QByteArray html = "\xEF\xBB\xBF<html><body>";
    for (const char *className : {"R12", "Ü6"}) {
        html += QByteArray("<span class=\"classheader\">") + className + "</span><br /><table border=\"0\">"
                "<tr><td>Place</td><td>NR</td><td>Name</td><td>Members</td><td>Result</td><td>Course</td></tr>\n";
        for (int t = 1; t <= teamsPerClass; ++t) {
            const QByteArray n = QByteArray::number(t);
            html += "<tr><td align=\"right\">" + n + "</td><td>" + n + "</td><td><a href=\"team" + n + ".htm\">Käärid Öö " + n
                + "</a></td><td nowrap=nowrap>Mikk Pärn M 35<br />Laura Ots W 36<br /></td><td>" + QByteArray::number(2000 - t)
                + "</td><td><table border=\"0\"><tr>";
            for (int k = 1; k <= splits; ++k)
                html += "<td><b>" + QByteArray::number(30 + k) + "</b><br />10:" + QByteArray::number(10 + k) + ":20<br />0:2"
                    + QByteArray::number(k % 10) + ":20<br /><font color=\"green\">" + QByteArray::number(10 * (k % 9 + 1)) + "</font></td>";
            html += "</tr></table></td></tr>\n";
        }
        html += "</table>";
    }
    const QString page = folderOf(dir) + QStringLiteral("splits.htm");
    writeFile(page, html + "</body></html>");
    return page;
}

// Counts the paint events a widget gets while it lives.
class PaintCounter : public QObject
{
public:
    PaintCounter(QWidget *widget, int &paints) : m_paints(paints) { widget->installEventFilter(this); }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++m_paints;
        return false;
    }

private:
    int &m_paints;
};

// Opens the page and waits until the viewer shows it.
bool showPage(TfwbReport &viewer, const QString &page)
{
    viewer.OpenReportFile(page);
    return QTest::qWaitFor([&] { return viewer.toolBar()->isEnabled(); }, 20000);
}

} // namespace

TEST(ReportViewer, SavesTheVisibleTextAsUtf16AndTheMarkupAsWritten)
{
    QTemporaryDir dir;
    const QString page = folderOf(dir) + QStringLiteral("page.htm");
    writeFile(page, "<html><head><title>T</title></head><body>abc</body></html>");
    TfwbReport viewer;
    EXPECT_EQ(viewer.windowTitle(), QStringLiteral("Report viewer"));
    EXPECT_FALSE(viewer.toolBar()->isEnabled());
    ASSERT_TRUE(showPage(viewer, page));
    EXPECT_TRUE(viewer.toolBar()->isEnabled());
    viewer.saveText(folderOf(dir) + QStringLiteral("page.txt"));
    EXPECT_EQ(readFile(folderOf(dir) + QStringLiteral("page.txt")), QByteArray("a\0b\0c\0", 6));
    viewer.saveHtml(folderOf(dir) + QStringLiteral("copy.htm"));
    EXPECT_EQ(readFile(folderOf(dir) + QStringLiteral("copy.htm")), readFile(page));

    QStringList captions;
    for (QAction *action : viewer.toolBar()->actions())
        captions.append(action->isSeparator() ? QStringLiteral("-") : action->text());
    EXPECT_EQ(captions, QStringList({"Print", "Print to", "-", "Print preview", "Page setup", "-", "Save as HTML", "Save as text",
                                     "Open in web browser", "-", "Close"}));
    viewer.show();
    viewer.findChild<QAction *>(QStringLiteral("aClose"))->trigger();
    EXPECT_FALSE(viewer.isVisible());
    EXPECT_EQ(viewer.fileName(), page);
}

TEST(TextWindow, FindIsCaseSensitiveAndGoesOnFromTheSelection)
{
    TfMDItekst window;
    window.setLines({"alpha beta", "Beta beta"});
    QTextCursor caret = window.editor()->textCursor();
    caret.setPosition(8); // inside the text, nothing selected: from the start
    window.editor()->setTextCursor(caret);
    ASSERT_TRUE(window.findNext(QStringLiteral("beta")));
    EXPECT_EQ(window.editor()->textCursor().selectionStart(), 6);
    ASSERT_TRUE(window.findNext(QStringLiteral("beta")));
    EXPECT_EQ(window.editor()->textCursor().selectionStart(), 16);
    EXPECT_FALSE(window.findNext(QStringLiteral("beta")));
    EXPECT_EQ(window.editor()->textCursor().selectionStart(), 16); // no hit changes nothing
    window.editor()->moveCursor(QTextCursor::Start);
    EXPECT_FALSE(window.findNext(QStringLiteral("ALPHA")));
}

TEST(TextWindow, RefusingToOverwriteKeepsTheFileAndTheModifiedFlag)
{
    QTemporaryDir dir;
    const QString file = folderOf(dir) + QStringLiteral("list.txt");
    writeFile(file, "old");
    TfMDItekst window;
    window.setLines({"new"});
    window.editor()->insertPlainText(QStringLiteral("er"));
    ASSERT_TRUE(window.editor()->document()->isModified());
    QString question;
    answerNextMessageBox(QMessageBox::No, &question);
    EXPECT_FALSE(window.saveTo(file));
    EXPECT_EQ(question, file + QStringLiteral(" File already exists. Overwrite?"));
    EXPECT_EQ(readFile(file), QByteArray("old"));
    EXPECT_TRUE(window.editor()->document()->isModified());
    answerNextMessageBox(QMessageBox::Yes);
    EXPECT_TRUE(window.saveTo(file));
    EXPECT_EQ(readFile(file), QByteArray("ernew\r\n"));
    EXPECT_FALSE(window.editor()->document()->isModified());
}

TEST(ReportChooser, MainClassesAllTickedAndUnbuiltReportsDisabled)
{
    TfSelectReport chooser;
    EXPECT_EQ(chooser.windowTitle(), QStringLiteral("Reports"));
    chooser.setClasses({{"H6<*>(10:00:00|006:00:00|00:30:00)", 0}, {"H6V", 1}, {"H12<*>(10:00:00|012:00:00|00:30:00)", 0}});
    EXPECT_EQ(chooser.checkedClasses(), QStringList({"H6", "H12"}));
    auto *list = chooser.findChild<QListWidget *>(QStringLiteral("clbClasses"));
    list->item(0)->setCheckState(Qt::Unchecked);
    EXPECT_EQ(chooser.checkedClasses(), QStringList({"H12"}));
    chooser.setClasses({{"H6<*>(10:00:00|006:00:00|00:30:00)", 0}});
    EXPECT_EQ(chooser.checkedClasses(), QStringList({"H6"}));
    EXPECT_EQ(chooser.chosenReport(), ReportKind::StartList);

    // The items are the registry's reports, every one of them enabled.
    QStringList items;
    for (QRadioButton *item : chooser.findChildren<QRadioButton *>())
        items.append(item->text() + (item->isEnabled() ? QString() : QStringLiteral(" -")));
    QStringList expected;
    for (const ReportKindEntry &entry : ReportRegistry())
        if (entry.family == ReportFamily::Report)
            expected.append(entry.captionText());
    EXPECT_EQ(items, expected);
    chooser.findChildren<QRadioButton *>().at(6)->click();
    EXPECT_EQ(chooser.chosenReport(), ReportKind::Statistics);
}

TEST(ReportViewer, ScreenshotOfTheStartListWithMembers)
{
    QTemporaryDir dir;
    const QString event = folderOf(dir);
    TdmData data(event);
    GeneratorOptions options;
    options.teams = 12;
    GenerateEvent(data, event, options);
    EventSetup setup = EventSetup::load(event);
    setup.settings.resultHeader = QStringLiteral(KORVENT_SOURCE_DIR "/common/header.htm");
    EventLocation location;
    location.program = ProgramFiles::inProgramDirectory(QStringLiteral(KORVENT_SOURCE_DIR "/"));
    location.eventDirectory = event;
    location.resultsDirectory = event + QStringLiteral("results/");
    ReportFileOutput output(location);
    const std::optional<ReportFile> page = RunReport(ReportKindOf(ReportKind::StartListMembers), {data.connection(), setup, output}, {});
    ASSERT_TRUE(page);
    TfwbReport viewer;
    ASSERT_TRUE(showPage(viewer, output.path(*page)));
    viewer.show();
    EXPECT_TRUE(viewer.browser()->toPlainText().contains(QLatin1String("Demo Rogaine")));
    const QString target = qEnvironmentVariable("KORVENT_SCREENSHOT_DIR");
    if (!target.isEmpty())
        viewer.grab().save(target + QStringLiteral("/report-viewer.png"));
}

TEST(TextWindow, FindDialogRemembersItsTextAndF3FindsTheNextHit)
{
    TfMDItekst window;
    window.setLines({"alpha beta", "Beta beta gamma beta"});
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    FindDialog *dialog = window.findDialog();
    EXPECT_FALSE(dialog->isVisible());
    // Find next with nothing to find yet asks for the text.
    QTest::keyClick(window.editor(), Qt::Key_F3);
    ASSERT_TRUE(dialog->isVisible());
    auto *text = dialog->findChild<QLineEdit *>(QStringLiteral("FindText"));
    auto *findNext = dialog->findChild<QPushButton *>(QStringLiteral("FindNext"));
    EXPECT_FALSE(findNext->isEnabled());
    QTest::keyClicks(text, QStringLiteral("beta"));
    QTest::mouseClick(findNext, Qt::LeftButton);
    EXPECT_EQ(window.editor()->textCursor().selectionStart(), 6);
    QTest::mouseClick(findNext, Qt::LeftButton);
    EXPECT_EQ(window.editor()->textCursor().selectionStart(), 16);
    dialog->reject();
    EXPECT_FALSE(dialog->isVisible());

    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(window.editor(), Qt::Key_F3);
    EXPECT_EQ(window.editor()->textCursor().selectionStart(), 27);
    EXPECT_EQ(window.editor()->textCursor().selectedText(), QStringLiteral("beta"));
    EXPECT_FALSE(dialog->isVisible());
    QTest::keyClick(window.editor(), Qt::Key_F3); // no further hit: nothing changes
    EXPECT_EQ(window.editor()->textCursor().selectionStart(), 27);

    QTest::keyClick(window.editor(), Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(dialog->isVisible());
    EXPECT_EQ(text->text(), QStringLiteral("beta"));
    EXPECT_EQ(text->selectedText(), QStringLiteral("beta")); // ready to be typed over
}

TEST(ReportViewer, ALongPageKeepsTheWidthOfAShortOne)
{
    QTemporaryDir dir;
    const QString page = folderOf(dir) + QStringLiteral("short.htm");
    writeFile(page, "<html><body>abc</body></html>");
    TfwbReport viewer;
    viewer.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&viewer));
    ASSERT_TRUE(showPage(viewer, page));
    QTest::qWait(50);
    const int width = viewer.browser()->viewport()->width();
    ASSERT_TRUE(showPage(viewer, writeLongPage(dir)));
    QTest::qWait(50);
    ASSERT_GT(viewer.browser()->document()->size().height(), viewer.browser()->viewport()->height());
    EXPECT_EQ(viewer.browser()->viewport()->width(), width);
}

TEST(ReportViewer, ALargePageIsReadWhileTheWindowGoesOnAndThenShown)
{
    QTemporaryDir dir;
    QByteArray html = "\xEF\xBB\xBF<html><body><h1>Results</h1>";
    for (int i = 1; i <= 20'000; ++i)
        html += "<p><b>" + QByteArray::number(i) + "</b> Käärid Öö " + QByteArray::number(i) + " <i>Mikk Pärn, Laura Ots</i> 1700</p>\n";
    const QString page = folderOf(dir) + QStringLiteral("large.htm");
    writeFile(page, html + "</body></html>");
    TfwbReport viewer;
    viewer.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&viewer));

    LoopBeat beat;
    viewer.OpenReportFile(page);
    EXPECT_EQ(viewer.browser()->toPlainText(), QStringLiteral("Loading…"));
    EXPECT_FALSE(viewer.toolBar()->isEnabled());
    ASSERT_TRUE(QTest::qWaitFor([&] { return viewer.toolBar()->isEnabled(); }, 60000));
    QTest::qWait(500); // the rest of the page is laid out a part at a time
    EXPECT_LE(beat.longestBlock(), 100) << "longest gap between beats " << beat.longestGap() << " ms";
    RecordProperty("longestBlockMs", static_cast<int>(beat.longestBlock()));
    const QString text = viewer.browser()->toPlainText();
    EXPECT_TRUE(text.startsWith(QStringLiteral("Results\n1 Käärid Öö 1 Mikk Pärn, Laura Ots 1700"))) << text.left(80).toStdString();
    EXPECT_TRUE(text.endsWith(QStringLiteral("20000 Käärid Öö 20000 Mikk Pärn, Laura Ots 1700")));
}

// The page laid out on the worker is drawn as soon as the viewer takes it,
// not only at the next resize.
TEST(ReportViewer, APageTakenFromTheWorkerIsDrawnAtOnce)
{
    QTemporaryDir dir;
    const QString page = writeSplitsPage(dir, 5, 3);
    TfwbReport viewer;
    viewer.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&viewer));
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        ASSERT_TRUE(showPage(viewer, page));
        int paints = 0;
        PaintCounter counter(viewer.browser()->viewport(), paints);
        QTest::qWait(300);
        EXPECT_GT(paints, 0);
    }
}

// Timed: runs alone in CTest.
TEST(ReportViewer, ALargeTablePageIsLaidOutWhileTheWindowGoesOn)
{
    QTemporaryDir dir;
    const QString page = writeSplitsPage(dir, 600, 25);
    TfwbReport viewer;
    LoopBeat beat;
    // As the main window does: the page is asked for before the viewer is shown.
    viewer.OpenReportFile(page);
    viewer.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&viewer));
    ASSERT_TRUE(QTest::qWaitFor([&] { return viewer.toolBar()->isEnabled(); }, 60000));
    QTest::qWait(200);
    // Drawn from the end, where nothing was drawn before.
    QScrollBar *scroll = viewer.browser()->verticalScrollBar();
    ASSERT_GT(scroll->maximum(), 100'000);
    scroll->setValue(scroll->maximum());
    const QImage end = viewer.browser()->viewport()->grab().toImage();
    QTest::qWait(200);
    EXPECT_LE(beat.longestBlock(), 100) << "longest gap between beats " << beat.longestGap() << " ms";
    RecordProperty("longestBlockMs", static_cast<int>(beat.longestBlock()));
    EXPECT_FALSE(end.isNull());
    EXPECT_TRUE(viewer.browser()->toPlainText().contains(QStringLiteral("Käärid Öö 600")));
}

// The page as shown is the page as the window thread would lay it out itself:
// the same text, links and places, also after the viewer is made wider.
TEST(ReportViewer, APageLaidOutOnTheWorkerIsThePageTheWindowWouldLayOut)
{
    QTemporaryDir dir;
    const QString page = writeSplitsPage(dir, 40, 12);
    TfwbReport viewer;
    viewer.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&viewer));
    ASSERT_TRUE(showPage(viewer, page));
    QTextDocument *shown = viewer.browser()->document();

    QTextDocument expected;
    QTextOption option = expected.defaultTextOption();
    option.setWrapMode(viewer.browser()->wordWrapMode());
    expected.setDefaultTextOption(option);
    const QByteArray bytes = readFile(page);
    expected.setHtml(QString::fromUtf8(bytes.mid(3)));
    const auto linksOf = [](const QTextDocument &document) {
        QStringList links;
        for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
            for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment)
                if (fragment.fragment().charFormat().isAnchor())
                    links << fragment.fragment().text() + u'>' + fragment.fragment().charFormat().anchorHref();
        return links;
    };
    const auto placesOf = [](QTextDocument &document) {
        std::vector<QRectF> places;
        for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
            places.push_back(document.documentLayout()->blockBoundingRect(block));
        return places;
    };
    const auto expectTheSame = [&] {
        expected.setPageSize(shown->pageSize());
        EXPECT_EQ(shown->size(), expected.size());
        EXPECT_EQ(shown->toPlainText(), expected.toPlainText());
        EXPECT_EQ(linksOf(*shown), linksOf(expected));
        EXPECT_EQ(placesOf(*shown), placesOf(expected));
    };
    ASSERT_EQ(linksOf(expected).size(), 80);
    EXPECT_EQ(shown->pageSize().width(), viewer.browser()->viewport()->width());
    expectTheSame();
    // A link is found where it is drawn.
    const QTextBlock linked = shown->findBlock(shown->toPlainText().indexOf(QStringLiteral("Käärid Öö 3")));
    const QPointF at = shown->documentLayout()->blockBoundingRect(linked).center();
    EXPECT_EQ(shown->documentLayout()->anchorAt(at), QStringLiteral("team3.htm"));

    viewer.resize(viewer.width() + 300, viewer.height());
    QTest::qWait(50);
    ASSERT_EQ(shown->pageSize().width(), viewer.browser()->viewport()->width());
    expectTheSame();
}

TEST(ReportViewer, APageThatCannotBeReadSaysWhyInTheViewer)
{
    QTemporaryDir dir;
    TfwbReport viewer;
    viewer.OpenReportFile(folderOf(dir) + QStringLiteral("gone.htm"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return viewer.browser()->toPlainText().contains(QLatin1String("gone.htm")); }, 5000))
        << viewer.browser()->toPlainText().toStdString();
    EXPECT_FALSE(viewer.toolBar()->isEnabled());
}

TEST(ReportViewer, PrintToChoosesForOneJobOnlyAndStartsOnThePageRange)
{
    QTemporaryDir dir;
    const QString pdf = folderOf(dir) + QStringLiteral("chosen.pdf");
    TfwbReport viewer;
    ASSERT_TRUE(showPage(viewer, writeLongPage(dir)));
    int pages = 0;
    QAbstractPrintDialog::PrintRange range = QAbstractPrintDialog::AllPages;
    int from = 0, to = 0;
    whenModal<QPrintDialog>([&](QPrintDialog *dialog) {
        range = dialog->printRange();
        from = dialog->fromPage();
        to = dialog->toPage();
        pages = PrintedPageCount(*viewer.browser()->document(), *dialog->printer());
        auto *file = dialog->findChild<QLineEdit *>(QStringLiteral("filename"));
        ASSERT_TRUE(file);
        file->setText(pdf);
        dialog->accept();
    });
    viewer.findChild<QAction *>(QStringLiteral("aPrintTo"))->trigger();
    EXPECT_EQ(range, QAbstractPrintDialog::PageRange);
    EXPECT_GT(pages, 1);
    EXPECT_EQ(from, 1);
    EXPECT_EQ(to, pages);
    const QByteArray printed = readFile(pdf);
    EXPECT_TRUE(printed.startsWith("%PDF"));
    EXPECT_EQ(printed.count("/Type /Page\n") + printed.count("/Type /Page\r"), pages);

    // "Print" afterwards goes to the default printer again, not to the file.
    const std::unique_ptr<QPrinter> next = viewer.jobPrinter();
    EXPECT_TRUE(next->outputFileName().isEmpty());
    EXPECT_EQ(next->printerName(), QPrinterInfo::defaultPrinterName());
    if (QPrinterInfo::defaultPrinter().isNull()) {
        QString message;
        answerNextMessageBox(QMessageBox::Ok, &message);
        viewer.findChild<QAction *>(QStringLiteral("aPrint"))->trigger();
        EXPECT_EQ(message, QStringLiteral("There is no default printer"));
    }
}

TEST(ReportViewer, SavingAddsTheDefaultExtensionToANameWithoutOne)
{
    QTemporaryDir dir;
    const QString folder = folderOf(dir) + QStringLiteral("event.2026/results.v2");
    QDir().mkpath(folder);
    const QString page = folder + QStringLiteral("/page.htm");
    writeFile(page, "<html><body>abc</body></html>");
    TfwbReport viewer;
    ASSERT_TRUE(showPage(viewer, page));
    struct Case
    {
        const char *action;
        const char *typed;
        const char *written;
    };
    for (const Case &c : {Case{"SaveHtml", "copy", "copy.htm"}, Case{"aSaveTxt", "page", "page.txt"}, Case{"aSaveTxt", "page.text", "page.text"}}) {
        whenModal<QFileDialog>([&](QFileDialog *dialog) {
            auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            ASSERT_TRUE(name);
            name->setText(folder + u'/' + QLatin1String(c.typed)); // typed by the operator
            static_cast<QDialog *>(dialog)->accept(); // as the Save button does
        });
        viewer.findChild<QAction *>(QString::fromLatin1(c.action))->trigger();
        EXPECT_TRUE(QFile::exists(folder + u'/' + QLatin1String(c.written))) << c.written;
    }
    EXPECT_EQ(readFile(folder + QStringLiteral("/copy.htm")), readFile(page));
    EXPECT_EQ(readFile(folder + QStringLiteral("/page.txt")), QByteArray("a\0b\0c\0", 6));
    EXPECT_FALSE(QFile::exists(folder + QStringLiteral("/copy")));
}
