#include "TestFolder.h"
#include "EventRows.h"

#include "base/IniFile.h"
#include "course/ControlList.h"
#include "course/ui/uCreateControls.h"
#include "base/TextPrinting.h"
#include "store/EventSettings.h"
#include "store/EventSetup.h"
#include "store/uData.h"
#include "store/ui/uEventInfo.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QFileDialog>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPdfWriter>
#include <QPrinterInfo>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

const QByteArray course = R"(<?xml version="1.0" encoding="ISO-8859-1"?>
<CourseData>
  <IOFVersion version="2.0.3" />
  <Map><Scale> 15000 </Scale><MapPosition x="-10.5" y="277.0" /></Map>
  <StartPoint><StartPointCode> s1 </StartPointCode><MapPosition x="197.6" y="42.1"/></StartPoint>
  <Control><ControlCode> 31 </ControlCode><MapPosition x="172.8" y="54.2"/></Control>
  <Control><ControlCode> 32 </ControlCode><MapPosition x="168.4" y="57.0"/></Control>
  <FinishPoint><FinishPointCode> f1 </FinishPointCode><MapPosition x="159.7" y="-79.7"/></FinishPoint>
</CourseData>
)";

// Answers the modal window that the next command opens.
template <typename Window>
void answerNext(const std::function<void(Window *)> &answer)
{
    QTimer::singleShot(0, [answer] {
        if (auto *window = qobject_cast<Window *>(QApplication::activeModalWidget()))
            answer(window);
    });
}

// The text of the next message box, which is closed.
struct MessageBoxes
{
    QStringList texts;
    QStringList details; // their informative texts
    QTimer timer;

    MessageBoxes()
    {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                texts.append(box->text());
                details.append(box->informativeText());
                box->accept();
            }
        });
        timer.start(10);
    }
};

struct ControlsPage : ::testing::Test
{
    QTemporaryDir root;
    QString event;
    QString program;
    std::unique_ptr<TdmData> data;
    SharedEventSetup shared;
    std::unique_ptr<TfEventInfo> window;

    void SetUp() override
    {
        event = folderOf(root) + QStringLiteral("event/");
        program = folderOf(root) + QStringLiteral("program/");
        QDir().mkpath(event);
        data = std::make_unique<TdmData>(event);
        window = std::make_unique<TfEventInfo>(event, ProgramFiles::inProgramDirectory(program), *data, shared);
        window->show();
    }

    QTableView *grid() const { return window->findChild<QTableView *>(QStringLiteral("dbGridControls")); }
    QMenu *menu() const { return window->findChild<QMenu *>(QStringLiteral("pmControls")); }
    void trigger(const char *action) const { menu()->findChild<QAction *>(QString::fromLatin1(action))->trigger(); }
    QString setting(const char *name) const { return window->findChild<QLineEdit *>(QString::fromLatin1(name))->text(); }
    void tick(const char *name, bool ticked) const { window->findChild<QCheckBox *>(QString::fromLatin1(name))->setChecked(ticked); }

    // The summary boxes the imports showed: text, a line break, the lines.
    QStringList summaries;
    QString screenshot; // where the next summary box is saved, in KORVENT_SCREENSHOT_DIR

    void importThroughTheDialog(const QString &fileName, QAction *command = nullptr)
    {
        answerNext<QFileDialog>([fileName](QFileDialog *dialog) {
            EXPECT_EQ(dialog->defaultSuffix(), QStringLiteral("xml"));
            EXPECT_EQ(dialog->nameFilters(), QStringList({"XML files (*.xml)"}));
            dialog->selectFile(fileName);
            static_cast<QDialog *>(dialog)->accept();
        });
        QTimer summary;
        QObject::connect(&summary, &QTimer::timeout, [this] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || !box->isVisible() || box->objectName() != QLatin1String("mbImportSummary"))
                return;
            summaries.append(box->text() + u'\n' + box->informativeText());
            const QString target = qEnvironmentVariable("KORVENT_SCREENSHOT_DIR");
            if (!target.isEmpty() && !screenshot.isEmpty()) {
                EXPECT_TRUE(box->grab().save(target + u'/' + screenshot));
            }
            box->accept();
        });
        summary.start(10);
        if (command)
            command->trigger();
        else
            trigger("miImportOCAD9");
    }
    QStringList listed() const { return ControlListLines(data->connection()); }
};

} // namespace

TEST_F(ControlsPage, TheGridOffersTheFourCommands)
{
    ASSERT_NE(menu(), nullptr);
    QStringList captions;
    for (const QAction *action : menu()->actions())
        captions.append(action->isSeparator() ? QStringLiteral("-") : action->text());
    EXPECT_EQ(captions, QStringList({"Import OCAD9", "Create", "-", "Print", "Map file"}));

    const QPoint at(10, 10);
    QContextMenuEvent click(QContextMenuEvent::Mouse, at, grid()->viewport()->mapToGlobal(at));
    QApplication::sendEvent(grid()->viewport(), &click);
    EXPECT_TRUE(menu()->isVisible());
    menu()->hide();
}

TEST_F(ControlsPage, TheWindowsMenuBarOffersTheSameCommandsAndImportShowsTheRows)
{
    auto *bar = window->findChild<QMenuBar *>(QStringLiteral("mmEventInfo"));
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(bar->actions().size(), 1);
    EXPECT_EQ(bar->actions().constFirst()->text(), QStringLiteral("&Controls"));
    QMenu *controls = bar->actions().constFirst()->menu();
    ASSERT_NE(controls, nullptr);
    QStringList captions;
    for (const QAction *action : controls->actions())
        captions.append(action->isSeparator() ? QStringLiteral("-") : action->text());
    EXPECT_EQ(captions, QStringList({"Import OCAD9", "Create", "-", "Print", "Map file"}));

    // From the menu bar while the classes are shown: the grid with the new rows comes to front.
    auto *tabs = window->findChild<QTabWidget *>(QStringLiteral("pcEventInfo"));
    tabs->setCurrentIndex(1);
    const QString file = folderOf(root) + QStringLiteral("three starts.xml");
    QByteArray threeStarts = course;
    threeStarts.replace("</CourseData>", "<StartPoint><StartPointCode>s\xc3\xa4</StartPointCode><MapPosition x=\"1\" y=\"2\"/></StartPoint>"
                                          "<StartPoint><StartPointCode>s3</StartPointCode><MapPosition x=\"1\" y=\"2\"/></StartPoint></CourseData>");
    threeStarts.replace("ISO-8859-1", "UTF-8");
    writeFile(file, threeStarts);
    screenshot = QStringLiteral("import-summary.png");
    importThroughTheDialog(file, controls->actions().constFirst());
    EXPECT_EQ(tabs->currentWidget()->isAncestorOf(grid()), true);
    EXPECT_EQ(grid()->model()->rowCount(), 4) << "one start row";
    ASSERT_EQ(summaries.size(), 1);
    EXPECT_TRUE(summaries.first().contains(QStringLiteral("Start (S): s1; also in the file, not added: s\u00e4, s3"))) << summaries.first().toStdString();
}

TEST_F(ControlsPage, TheGridTitlesItsColumnsAndGivesTheHint)
{
    QStringList titles;
    for (int column = 0; column < grid()->model()->columnCount(); ++column)
        titles.append(grid()->model()->headerData(column, Qt::Horizontal).toString());
    EXPECT_EQ(titles.join(u'|'), QStringLiteral("Control|unitNR|Point|Type|x(mmm)|y(mmm)|Text"));
    EXPECT_EQ(grid()->toolTip(), QStringLiteral("Control: S,F,I,O,W or CP number"));
}

TEST_F(ControlsPage, CreateAddsTheRunWithTheWindowsCheckBoxes)
{
    tick("cbUnit11", true);
    tick("cbCheckInOut", false);
    answerNext<TfCreateControls>([](TfCreateControls *dialog) {
        dialog->findChild<QSpinBox *>(QStringLiteral("seFrom"))->setValue(31);
        dialog->findChild<QSpinBox *>(QStringLiteral("seTo"))->setValue(32);
        dialog->accept();
    });
    trigger("miCreate");
    EXPECT_EQ(listed(), QStringList({"   31   42   3 C   -1   -1 P:31", "   32   43   3 C   -1   -1 P:32", "    F   11   0 F   -1   -1 Finish",
                                     "    S   10   0 S   -1   -1 Start"}));
    EXPECT_EQ(grid()->model()->rowCount(), 4) << "the grid shows the new rows";

    // Closed without OK: nothing is added.
    answerNext<TfCreateControls>([](TfCreateControls *dialog) { dialog->reject(); });
    trigger("miCreate");
    EXPECT_EQ(listed().size(), 4);
}

TEST_F(ControlsPage, ImportSetsTheMapReferenceInTheWindowUntilItCloses)
{
    const QString file = folderOf(root) + QStringLiteral("course.xml");
    writeFile(file, course);
    importThroughTheDialog(file);
    EXPECT_EQ(listed(), QStringList({"   31   31   3 C 1728  542 P:31", "   32   32   3 C 1684  570 P:32", "    F   11   0 F 1597 -797 f1",
                                     "    S   10   0 S 1976  421 s1"}));
    EXPECT_EQ(grid()->model()->rowCount(), 4);
    EXPECT_EQ(summaries, QStringList({QStringLiteral("Course data imported from %1\n"
                                                     "4 controls added: 2 scoring controls, 1 start, 1 finish\n"
                                                     "Start (S): s1\n"
                                                     "Finish (F): f1\n"
                                                     "Map: scale 1:15000, reference point -105, 2770 (tenths of a millimetre)")
                                          .arg(file)}));
    EXPECT_EQ(setting("eMap_Scale"), QStringLiteral("15000"));
    EXPECT_EQ(setting("eMap_OffsetX"), QStringLiteral("-105"));
    EXPECT_EQ(setting("eMap_OffsetY"), QStringLiteral("2770"));
    EXPECT_EQ(EventSettings::load(event).mapScale, 30000) << "setup.ini is written when the window closes";

    window->accept();
    const EventSettings saved = EventSettings::load(event);
    EXPECT_EQ(saved.mapScale, 15000);
    EXPECT_EQ(saved.mapOffsetX, -105);
    EXPECT_EQ(saved.mapOffsetY, 2770);
    EXPECT_EQ(shared.snapshot()->settings.mapOffsetY, 2770);
}

TEST_F(ControlsPage, AFileThatIsNotWellFormedIsShownAndChangesNothing)
{
    const QString file = folderOf(root) + QStringLiteral("broken.xml");
    writeFile(file, course.left(course.indexOf("<FinishPoint>")));
    MessageBoxes boxes;
    importThroughTheDialog(file);
    ASSERT_EQ(boxes.texts.size(), 1);
    EXPECT_TRUE(boxes.texts.first().startsWith(file + QStringLiteral(" is not a well-formed XML file"))) << boxes.texts.first().toStdString();
    EXPECT_TRUE(listed().isEmpty());
    EXPECT_EQ(grid()->model()->rowCount(), 0);
    EXPECT_EQ(setting("eMap_Scale"), QStringLiteral("30000"));
}

TEST_F(ControlsPage, MapFileDrawsWithTheWindowsSettings)
{
    writeFile(folderOf(root) + QStringLiteral("course.xml"), course);
    importThroughTheDialog(folderOf(root) + QStringLiteral("course.xml"));
    window->findChild<QLineEdit *>(QStringLiteral("eMap_Filename"))->setText(QStringLiteral("forest.gif"));
    window->findChild<QSpinBox *>(QStringLiteral("seMapWidth"))->setValue(400);
    MessageBoxes boxes;
    trigger("miMapFile");
    EXPECT_EQ(boxes.texts, QStringList({"Done!"}));
    EXPECT_EQ(boxes.details, QStringList({QStringLiteral("Written: %1baseforest.gif").arg(event)}));
    boxes.texts.clear();
    const QImage picture(event + QStringLiteral("baseforest.gif"), "gif");
    EXPECT_EQ(picture.width(), 420);

    window->findChild<QLineEdit *>(QStringLiteral("eMap_OffsetX"))->setText(QStringLiteral("x"));
    trigger("miMapFile");
    ASSERT_EQ(boxes.texts.size(), 1);
    // Refused where the window's settings are taken, before anything is drawn.
    EXPECT_EQ(boxes.texts.first(), QStringLiteral("Start Offset (pix) x (eMap_OffsetX): \"x\" is not a whole number from -1000000 to 1000000 "
                                                  "(digits, a minus sign in front if below zero)"));
}

TEST_F(ControlsPage, PrintWithoutAPrinterSaysSo)
{
    if (!QPrinterInfo::defaultPrinter().isNull())
        GTEST_SKIP() << "This computer has a printer; the control list is not printed on it by a test";
    MessageBoxes boxes;
    trigger("miPrint");
    EXPECT_EQ(boxes.texts, QStringList({"There is no default printer"}));
}

TEST(ControlListPrinting, TheListPrintedToPdf)
{
    QTemporaryDir dir;
    TdmData data(folderOf(dir));
    insertRow(data, QStringLiteral("control"), {{"controlnr", "S"}, {"unitnumber", 10}, {"points", 0}, {"type", "S"}, {"text", "Start"}});
    const QString pdf = folderOf(dir) + QStringLiteral("controls.pdf");
    {
        QPdfWriter writer(pdf);
        writer.setTitle(ControlListTitle());
        writer.setPageOrientation(QPageLayout::Portrait);
        PrintTextLines(writer, ControlListLines(data.connection()));
    }
    const QByteArray printed = readFile(pdf);
    EXPECT_TRUE(printed.startsWith("%PDF"));
    EXPECT_EQ(printed.count("/Type /Page\n") + printed.count("/Type /Page\r"), 1);
    // The title in UTF-16 with its byte-order mark, as the PDF writer stores text.
    EXPECT_TRUE(printed.contains(QByteArray("/Title (\xfe\xff\0C\0o\0u\0r\0s\0e\0s)", 25)));
}
