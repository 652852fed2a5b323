#include "ModalDialogs.h"
#include "EventRows.h"
#include "TestFolder.h"

#include "store/ClassTable.h"
#include "store/CountryList.h"
#include "store/EventSetup.h"
#include "base/IniFile.h"
#include "store/uData.h"
#include "store/ui/uEventInfo.h"

#include "base/ui/TRadioGroup.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateTimeEdit>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

struct EventInfoFixture : ::testing::Test
{
    QTemporaryDir root;
    QString event;
    QString program;
    std::unique_ptr<TdmData> data;
    SharedEventSetup shared;

    void SetUp() override
    {
        event = folderOf(root) + QStringLiteral("event/");
        program = folderOf(root) + QStringLiteral("program/");
        QDir().mkpath(event);
        writeFile(program + QStringLiteral("common/countrys.txt"), "EST=Estonia\r\n");
        data = std::make_unique<TdmData>(event);
    }

    std::unique_ptr<TfEventInfo> open() { return std::make_unique<TfEventInfo>(event, ProgramFiles::inProgramDirectory(program), *data, shared); }

    static void addClass(TfEventInfo &window, const QString &name, bool main)
    {
        window.findChild<QLineEdit *>(QStringLiteral("eClassName"))->setText(name);
        window.findChild<QCheckBox *>(QStringLiteral("cbMainClass"))->setChecked(main);
        QTest::mouseClick(window.findChild<QWidget *>(QStringLiteral("btnAddClass")), Qt::LeftButton);
    }

    // Types into a masked time field as the operator would, over what it held.
    static void typeTime(TfEventInfo &window, const char *key, const char *digits)
    {
        auto *edit = window.findChild<QLineEdit *>(QLatin1String(key));
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        edit->home(false);
        QTest::keyClicks(edit, QLatin1String(digits));
    }
};

// Answers every message box with OK while it lives and keeps their texts.
struct MessageBoxWatcher
{
    QStringList texts;
    QTimer timer;

    MessageBoxWatcher()
    {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                texts.append(box->text());
                box->accept();
            }
        });
        timer.start(10);
    }
};

QString settingsText(const QString &event)
{
    return QString::fromUtf8(readFile(EventSettings::fileName(event)));
}

} // namespace

TEST_F(EventInfoFixture, ControlsCarryTheSettingsNamesAndDefaults)
{
    auto window = open();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Event Info"));
    const auto *tabs = window->findChild<QTabWidget *>();
    QStringList captions;
    for (int i = 0; i < tabs->count(); ++i)
        captions.append(tabs->tabText(i));
    EXPECT_EQ(captions, QStringList({"Event", "Classes", "Controls", "Setup", "Lists and extras"}));
    EXPECT_EQ(window->findChild<QLineEdit *>(QStringLiteral("meControlTime"))->text(), QStringLiteral("012:00:00"));
    EXPECT_EQ(window->findChild<QLineEdit *>(QStringLiteral("meControlTime"))->inputMask(), QStringLiteral("999:99:99;_"));
    const auto *punchWindow = window->findChild<QSpinBox *>(QStringLiteral("sePunchWindow"));
    EXPECT_EQ(punchWindow->value(), -1);
    EXPECT_EQ(punchWindow->minimum(), -1);
    EXPECT_EQ(punchWindow->maximum(), 99'999);
    EXPECT_FALSE(punchWindow->toolTip().isEmpty());
    EXPECT_FALSE(window->findChild<QWidget *>(QStringLiteral("cbSendToServer"))->isEnabled());
    EXPECT_TRUE(window->findChild<QCheckBox *>(QStringLiteral("cbXML3Format"))->isChecked());
}

TEST_F(EventInfoFixture, AddingMainAndSubClassAndClosingPublishesThem)
{
    auto window = open();
    addClass(*window, QStringLiteral("H12"), true);
    addClass(*window, QStringLiteral("H12V"), false);
    addClass(*window, QString(), false); // an empty name adds nothing
    ASSERT_EQ(window->classTree().size(), 2u);
    EXPECT_EQ(window->classTree()[0].text, QStringLiteral("H12<*>(12:00:00|012:00:00|00:30:00)"));
    EXPECT_EQ(window->classTree()[1].depth, 1);

    window->findChild<QLineEdit *>(QStringLiteral("leName"))->setText(QStringLiteral("Autumn Rogaine"));
    window->show();
    window->close();

    EXPECT_EQ(readFile(ClassTreeFileName(event)), QByteArray("H12<*>(12:00:00|012:00:00|00:30:00)\r\n\tH12V\r\n"));
    const auto published = shared.snapshot();
    EXPECT_EQ(published->settings.eventName, QStringLiteral("Autumn Rogaine"));
    const ClassTable table = LoadClassTable(published->classTree);
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table[1].path[0], QStringLiteral("H12"));
    EXPECT_EQ(table[1].penaltyTime, 180'000);
    EXPECT_EQ(IniFile(event + QStringLiteral("setup.ini")).readString(QStringLiteral("fEventInfo"), QStringLiteral("leName")),
              QStringLiteral("Autumn Rogaine"));
    EXPECT_EQ(readFile(CountryListFileName(ProgramFiles::inProgramDirectory(program))), QByteArray("EST=Estonia\r\n"));
}

TEST_F(EventInfoFixture, RemovingEveryClassKeepsTheStoredTree)
{
    WriteClassTreeFile(ClassTreeFileName(event), {{"A3<*>(10:00:00|003:00:00|00:30:00)", 0}});
    auto window = open();
    auto *tree = window->findChild<QTreeWidget *>(QStringLiteral("tvClassList"));
    ASSERT_EQ(tree->topLevelItemCount(), 1);
    tree->setCurrentItem(tree->topLevelItem(0));
    whenModal<QMessageBox>([](QMessageBox *box) { box->button(QMessageBox::Yes)->click(); });
    QTest::mouseClick(window->findChild<QWidget *>(QStringLiteral("btnRemoveClass")), Qt::LeftButton);
    EXPECT_EQ(tree->topLevelItemCount(), 0);
    window->show();
    window->close();
    EXPECT_EQ(readFile(ClassTreeFileName(event)), QByteArray("A3<*>(10:00:00|003:00:00|00:30:00)\r\n"));
    EXPECT_TRUE(open()->classTree().size() == 1);
    // The running program goes on with the tree that is stored, not with none.
    ASSERT_EQ(shared.snapshot()->classTree.size(), 1u);
    EXPECT_EQ(shared.snapshot()->classTree[0].text, QStringLiteral("A3<*>(10:00:00|003:00:00|00:30:00)"));
}

TEST_F(EventInfoFixture, SettingsOfTheFileAreLoadedIntoTheControls)
{
    writeFile(event + QStringLiteral("setup.ini"), "[fEventInfo]\r\nleName=Spring\r\nsePunchWindow=90\r\ncbMainClass=1\r\n");
    auto window = open();
    EXPECT_EQ(window->findChild<QLineEdit *>(QStringLiteral("leName"))->text(), QStringLiteral("Spring"));
    EXPECT_EQ(window->findChild<QSpinBox *>(QStringLiteral("sePunchWindow"))->value(), 90);
    EXPECT_TRUE(window->findChild<QCheckBox *>(QStringLiteral("cbMainClass"))->isChecked());
}

TEST_F(EventInfoFixture, ScreenshotOfEveryTab)
{
    auto window = open();
    addClass(*window, QStringLiteral("H12"), true);
    addClass(*window, QStringLiteral("H12V"), false);
    insertRow(*data, QStringLiteral("control"), {{"controlnr", "31"}, {"unitnumber", 31}, {"points", 30}, {"type", "C"}, {"pos_x", 1200}, {"pos_y", 800}});
    window->show();
    auto *tabs = window->findChild<QTabWidget *>();
    const QString target = qEnvironmentVariable("KORVENT_SCREENSHOT_DIR");
    for (int i = 0; i < tabs->count(); ++i) {
        tabs->setCurrentIndex(i);
        const QImage shot = window->grab().toImage();
        ASSERT_FALSE(shot.isNull());
        if (!target.isEmpty())
            shot.save(QStringLiteral("%1/event-info-%2.png").arg(target).arg(i));
    }
}

TEST_F(EventInfoFixture, WindowAndSettingsSetWriteTheSameFile)
{
    auto window = open();
    window->findChild<QLineEdit *>(QStringLiteral("leName"))->setText(QStringLiteral("Night Rogaine"));
    window->findChild<QLineEdit *>(QStringLiteral("eSubClasses"))->setText(QStringLiteral("SC1;SC2"));
    window->findChild<QSpinBox *>(QStringLiteral("sePunchWindow"))->setValue(120);
    window->findChild<QCheckBox *>(QStringLiteral("cbXML3Format"))->setChecked(false);
    window->findChild<TRadioGroup *>(QStringLiteral("rgControlCard"))->setItemIndex(1);
    window->findChild<QDateTimeEdit *>(QStringLiteral("dtpDate"))->setDateTime(QDateTime(QDate(2026, 6, 13), QTime(0, 0)));
    typeTime(*window, "meEventStartTime", "113000");
    window->show();
    window->close();
    ASSERT_FALSE(window->isVisible());
    const QByteArray written = readFile(EventSettings::fileName(event));

    // The same values through the command line, into a fresh event folder.
    const auto cli = [&](const QStringList &arguments) {
        QProcess process;
        process.setWorkingDirectory(folderOf(root));
        process.start(QStringLiteral(KORVENT_CLI_PATH), arguments);
        process.waitForFinished(30'000);
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
        return QString::fromUtf8(process.readAllStandardOutput());
    };
    QDir().mkpath(folderOf(root) + QStringLiteral("other"));
    const QStringList assignments = cli({"--event", "event", "settings"}).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(assignments.size(), static_cast<qsizetype>(SettingDefinitions().size()));
    cli(QStringList{"--event", "other", "settings", "set"} + assignments);
    EXPECT_EQ(readFile(folderOf(root) + QStringLiteral("other/setup.ini")), written);
    EXPECT_TRUE(written.contains("\r\nmeEventStartTime=11:30:00\r\n")) << written.toStdString();

    // What the window shows again is what was written.
    auto reopened = open();
    EXPECT_EQ(reopened->settings().eventName, QStringLiteral("Night Rogaine"));
    EXPECT_EQ(reopened->settings().eventDate, QDateTime(QDate(2026, 6, 13), QTime(0, 0)));
    EXPECT_EQ(reopened->settings().controlCard, 1);
}

TEST_F(EventInfoFixture, HalfTypedTimesAreRefusedNamingTheField)
{
    auto window = open();
    window->show();
    MessageBoxWatcher boxes;

    typeTime(*window, "meStartTime", "1230");
    EXPECT_EQ(window->findChild<QLineEdit *>(QStringLiteral("meStartTime"))->text(), QStringLiteral("12:30:"));
    addClass(*window, QStringLiteral("H12"), true);
    EXPECT_TRUE(window->classTree().empty());
    ASSERT_EQ(boxes.texts.size(), 1);
    EXPECT_TRUE(boxes.texts[0].contains(QLatin1String("Start time")) && boxes.texts[0].contains(QLatin1String("12:30:")))
        << boxes.texts[0].toStdString();

    window->close();
    EXPECT_TRUE(window->isVisible());
    ASSERT_EQ(boxes.texts.size(), 2);
    EXPECT_TRUE(boxes.texts[1].contains(QLatin1String("Start time"))) << boxes.texts[1].toStdString();
    EXPECT_FALSE(QFile::exists(EventSettings::fileName(event)));
    EXPECT_EQ(window->focusWidget(), window->findChild<QLineEdit *>(QStringLiteral("meStartTime")));

    typeTime(*window, "meStartTime", "123000");
    typeTime(*window, "meSunrise", "");
    EXPECT_EQ(window->findChild<QLineEdit *>(QStringLiteral("meSunrise"))->text(), QStringLiteral("::"));
    window->close();
    EXPECT_TRUE(window->isVisible());
    ASSERT_EQ(boxes.texts.size(), 3);
    EXPECT_TRUE(boxes.texts[2].contains(QLatin1String("Sunrise"))) << boxes.texts[2].toStdString();
    EXPECT_EQ(window->findChild<QTabWidget *>()->currentIndex(), 0);

    typeTime(*window, "meSunrise", "053000");
    window->close();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(boxes.texts.size(), 3);
    EXPECT_TRUE(settingsText(event).contains(QLatin1String("\r\nmeSunrise=05:30:00\r\n")));
    EXPECT_TRUE(settingsText(event).contains(QLatin1String("\r\nmeStartTime=12:30:00\r\n")));
}

TEST_F(EventInfoFixture, UnreadableSettingsAreShownMarkedKeptAndReplacedWhenSet)
{
    writeFile(EventSettings::fileName(event), "[fEventInfo]\r\neMap_DPI=300dpi\r\nmeSunrise=100:00:00\r\ndtpDate=13.06.2026\r\n"
                                              "cbMultiReadout=yes\r\nrgControlCard=5\r\nseMapWidth=abc\r\n");
    const EventSettings loaded = EventSettings::load(event);
    auto window = open();
    const struct { const char *key; const char *shown; } fields[] = {{"eMap_DPI", "300dpi"}, {"meSunrise", "100:00:00"}};
    for (const auto &field : fields) {
        auto *edit = window->findChild<QLineEdit *>(QLatin1String(field.key));
        EXPECT_EQ(edit->text(), QLatin1String(field.shown)) << field.key;
        EXPECT_TRUE(edit->inputMask().isEmpty()) << field.key;
    }
    for (const char *key : {"eMap_DPI", "meSunrise", "dtpDate", "cbMultiReadout", "rgControlCard", "seMapWidth"}) {
        const QWidget *control = window->findChild<QWidget *>(QLatin1String(key));
        EXPECT_EQ(control->toolTip(), UnreadableOf(loaded, *FindSetting(QLatin1String(key)))->message) << key;
        EXPECT_TRUE(control->styleSheet().contains(QLatin1String("red"))) << key;
    }
    // Commands of the window that need them refuse as korvent-cli does.
    const EventSettings taken = window->settings();
    try {
        (void)*taken.mapDpi;
        ADD_FAILURE() << "drawn at the default resolution";
    } catch (const KorventError &error) {
        EXPECT_EQ(error.message(), UnreadableOf(loaded, SettingOf(&EventSettings::mapDpi))->message);
    }
    EXPECT_THROW(taken.EventStartDateTime(), KorventError);

    // Closing without an edit is not blocked and keeps every text as it stood.
    window->show();
    window->close();
    EXPECT_FALSE(window->isVisible());
    for (const char *line : {"eMap_DPI=300dpi", "meSunrise=100:00:00", "dtpDate=13.06.2026", "cbMultiReadout=yes", "rgControlCard=5", "seMapWidth=abc"})
        EXPECT_TRUE(settingsText(event).contains(QLatin1String(line) + QStringLiteral("\r\n"))) << line;

    // A value typed or chosen there replaces the text, even the default typed again.
    window->show();
    auto *dpi = window->findChild<QLineEdit *>(QStringLiteral("eMap_DPI"));
    dpi->setFocus();
    dpi->selectAll();
    QTest::keyClicks(dpi, QStringLiteral("150"));
    EXPECT_TRUE(dpi->styleSheet().isEmpty());
    auto *multiReadout = window->findChild<QCheckBox *>(QStringLiteral("cbMultiReadout"));
    QTest::mouseClick(multiReadout, Qt::LeftButton);
    QTest::mouseClick(multiReadout, Qt::LeftButton);
    window->close();
    EXPECT_FALSE(window->isVisible());
    const EventSettings stored = EventSettings::load(event);
    EXPECT_EQ(*stored.mapDpi, 150);
    EXPECT_FALSE(*stored.multiReadout);
    EXPECT_TRUE(UnreadableOf(stored, SettingOf(&EventSettings::sunrise)));
    EXPECT_TRUE(UnreadableOf(stored, SettingOf(&EventSettings::controlCard)));
    EXPECT_EQ(window->findChild<QLineEdit *>(QStringLiteral("meSunrise"))->text(), QStringLiteral("100:00:00"));
}

TEST_F(EventInfoFixture, ReportHeaderDialogDefaultsToHtm)
{
    auto window = open();
    window->show();
    QString suffix;
    QTimer::singleShot(50, [&suffix] {
        if (auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget())) {
            suffix = dialog->defaultSuffix();
            dialog->reject();
        }
    });
    QTest::mouseClick(window->findChild<QWidget *>(QStringLiteral("sbOpenFile")), Qt::LeftButton);
    EXPECT_EQ(suffix, QStringLiteral("htm"));
}

TEST_F(EventInfoFixture, GridEditsAreWrittenAtOnceAndRefusalsShown)
{
    const qint64 control = insertRow(*data, QStringLiteral("control"), {{"controlnr", "31"}, {"points", 3}, {"text", "Boulder"}});
    auto window = open();
    window->show();
    auto *grid = window->findChild<QTableView *>(QStringLiteral("dbGridControls"));
    window->findChild<QTabWidget *>()->setCurrentWidget(grid->parentWidget());
    ASSERT_EQ(grid->model()->rowCount(), 1);
    const auto typeInto = [grid](const char *field, const char *text, int key) {
        auto *model = grid->model();
        int column = 0;
        while (model->headerData(column, Qt::Horizontal).toString() != QLatin1String(field))
            ++column;
        grid->setCurrentIndex(model->index(0, column));
        grid->edit(grid->currentIndex());
        QWidget *editor = grid->indexWidget(grid->currentIndex());
        auto *line = qobject_cast<QLineEdit *>(editor);
        line->selectAll();
        QTest::keyClicks(line, QLatin1String(text));
        if (key)
            QTest::keyClick(line, static_cast<Qt::Key>(key));
        // The delegate commits a finished edit from the event loop.
        QApplication::processEvents();
    };
    const auto stored = [&](const char *field) { return findRow(*data, QStringLiteral("control"), control)->value(QLatin1String(field)); };
    MessageBoxWatcher boxes;

    typeInto("Point", "25", Qt::Key_Return);
    EXPECT_EQ(stored("points").toInt(), 25);
    typeInto("Text", "", Qt::Key_Backspace);
    QTest::keyClick(grid->indexWidget(grid->currentIndex()), Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_TRUE(stored("text").isNull());
    EXPECT_TRUE(boxes.texts.isEmpty());

    typeInto("Point", "lots", Qt::Key_Return);
    ASSERT_EQ(boxes.texts.size(), 1);
    EXPECT_TRUE(boxes.texts[0].contains(QLatin1String("Point: \"lots\" is not a whole number"))) << boxes.texts[0].toStdString();
    EXPECT_EQ(stored("points").toInt(), 25);

    // Closing with a refused value still in the editor keeps the window open.
    typeInto("Point", "many", 0);
    window->close();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(boxes.texts.size(), 2);
    typeInto("Point", "30", 0);
    window->close();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(stored("points").toInt(), 30);
}

namespace {

struct ClassEditor : EventInfoFixture
{
    std::unique_ptr<TfEventInfo> window;
    QTreeWidget *tree = nullptr;
    QStringList boxes; // the message boxes shown, "text|answer"

    void SetUp() override
    {
        EventInfoFixture::SetUp();
        WriteClassTreeFile(ClassTreeFileName(event), {{"12h<*>(10:00:00|012:00:00|00:30:00)", 0},
                                                      {"12h N\u00f5mme", 1},
                                                      {"12h V\u00e4ike", 2},
                                                      {"6h<*>(12:00:00|006:00:00|00:30:00)", 0},
                                                      {"6hV", 1}});
        window = open();
        window->findChild<QTabWidget *>()->setCurrentIndex(1);
        window->show();
        tree = window->findChild<QTreeWidget *>(QStringLiteral("tvClassList"));
    }

    QTreeWidgetItem *item(const QString &name) const
    {
        const QList<QTreeWidgetItem *> found = tree->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
        return found.isEmpty() ? nullptr : found.constFirst();
    }
    void clickClass(const QString &name) const
    {
        QTreeWidgetItem *target = item(name);
        ASSERT_TRUE(target) << name.toStdString();
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(target).center());
    }
    QLineEdit *field(const char *name) const { return window->findChild<QLineEdit *>(QLatin1String(name)); }
    QWidget *button(const char *name) const { return window->findChild<QWidget *>(QLatin1String(name)); }
    // Clicks the button; a message box it shows is answered and noted.
    void click(const char *name, QMessageBox::StandardButton answer = QMessageBox::Ok)
    {
        QTimer watcher;
        QObject::connect(&watcher, &QTimer::timeout, [this, answer] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()); box && box->isVisible()) {
                boxes.append(box->text() + u'|' + QString::number(answer));
                if (QAbstractButton *chosen = box->button(answer))
                    chosen->click();
                else
                    box->accept();
            }
        });
        watcher.start(10);
        QTest::mouseClick(button(name), Qt::LeftButton);
        QTest::qWait(30);
    }
    QStringList nodeTexts() const
    {
        QStringList texts;
        for (const ClassNode &node : window->classTree())
            texts.append(QString(node.depth, u'-') + node.text);
        return texts;
    }
};

} // namespace

TEST_F(ClassEditor, TheTreeShowsNamesAndTimesAndTheEditorTheSelectedClass)
{
    EXPECT_EQ(tree->columnCount(), 4);
    EXPECT_EQ(tree->headerItem()->text(2), QStringLiteral("Maximum time"));
    EXPECT_EQ(tree->topLevelItem(0)->text(0), QStringLiteral("12h"));
    EXPECT_EQ(item(QStringLiteral("6hV"))->text(2), QStringLiteral("006:00:00")) << "a sub-class shows its main class's times";
    EXPECT_FALSE(button("gbSelectedClass")->isEnabled()) << "nothing is selected yet";

    clickClass(QStringLiteral("6h"));
    EXPECT_TRUE(button("gbSelectedClass")->isEnabled());
    EXPECT_EQ(field("eEditClassName")->text(), QStringLiteral("6h"));
    EXPECT_EQ(field("meEditStartTime")->text(), QStringLiteral("12:00:00"));
    EXPECT_EQ(field("meEditControlTime")->text(), QStringLiteral("006:00:00"));
    EXPECT_EQ(field("mePenaltyTime")->text(), QStringLiteral("00:30:00")) << "the settings for the next class stay";

    clickClass(QStringLiteral("12h V\u00e4ike"));
    EXPECT_EQ(field("eEditClassName")->text(), QStringLiteral("12h V\u00e4ike"));
    EXPECT_EQ(field("meEditStartTime")->text(), QStringLiteral("10:00:00"));
    EXPECT_FALSE(field("meEditStartTime")->isEnabled()) << "a sub-class has no times of its own";
}

TEST_F(ClassEditor, ChangingAClassInPlaceKeepsItsSubClassesAndTheStoredForm)
{
    clickClass(QStringLiteral("6h"));
    typeTime(*window, "eEditClassName", "");
    QTest::keyClicks(field("eEditClassName"), QStringLiteral("8h"));
    typeTime(*window, "meEditStartTime", "113000");
    typeTime(*window, "meEditControlTime", "0080000");
    typeTime(*window, "meEditPenaltyTime", "001500");
    click("btnChangeClass");
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join(u'\n').toStdString();
    EXPECT_EQ(nodeTexts(), QStringList({"12h<*>(10:00:00|012:00:00|00:30:00)", QStringLiteral("-12h N\u00f5mme"), QStringLiteral("--12h V\u00e4ike"),
                                        "8h<*>(11:30:00|008:00:00|00:15:00)", "-6hV"}));
    EXPECT_EQ(item(QStringLiteral("6hV"))->text(1), QStringLiteral("11:30:00")) << "the sub-class shows the new times";
    EXPECT_EQ(item(QStringLiteral("8h"))->childCount(), 1);

    // A sub-class is renamed with Enter; its times are its main class's.
    clickClass(QStringLiteral("6hV"));
    field("eEditClassName")->setText(QStringLiteral("8h \u0160")); // QTest types ASCII only
    QTest::keyClick(field("eEditClassName"), Qt::Key_Return);
    EXPECT_EQ(nodeTexts().constLast(), QStringLiteral("-8h \u0160"));

    window->accept();
    EXPECT_EQ(ReadClassTreeFile(ClassTreeFileName(event))[3].text, QStringLiteral("8h<*>(11:30:00|008:00:00|00:15:00)"));
    const auto published = LoadClassTable(shared.snapshot()->classTree);
    ASSERT_TRUE(FindClass(published, QStringLiteral("8h \u0160")).has_value());
    EXPECT_EQ(FindClass(published, QStringLiteral("8h \u0160"))->start, 4'140'000);
}

TEST_F(ClassEditor, NamesAndTimesTheTreeCannotHoldAreRefusedAndChangeNothing)
{
    const QStringList before = nodeTexts();
    const struct
    {
        const char *name;
        const char *start;
        const char *message;
    } cases[] = {
        {"6h<x", "120000", "The class name \"6h<x\" holds"},
        {"6*h", "120000", "The class name \"6*h\" holds"},
        {"", "120000", "A class needs a name"},
        {"6h", "127500", "Start time \"12:75:00\" is not a time"},
        {"12h", "120000", "There is a class 12h already"},
        {"  6hV ", "120000", "There is a class 6hV already"},
    };
    for (const auto &c : cases) {
        boxes.clear();
        clickClass(QStringLiteral("6h"));
        typeTime(*window, "eEditClassName", "");
        QTest::keyClicks(field("eEditClassName"), QString::fromUtf8(c.name));
        typeTime(*window, "meEditStartTime", c.start);
        click("btnChangeClass");
        ASSERT_EQ(boxes.size(), 1) << c.name;
        EXPECT_TRUE(boxes.first().startsWith(QLatin1String(c.message))) << boxes.first().toStdString();
        EXPECT_EQ(nodeTexts(), before) << c.name;
    }

    // Adding is held to the same names.
    boxes.clear();
    tree->clearSelection();
    window->findChild<QLineEdit *>(QStringLiteral("eClassName"))->setText(QStringLiteral("A<B"));
    click("btnAddClass");
    EXPECT_EQ(boxes.size(), 1);
    EXPECT_EQ(nodeTexts(), before);
    for (const char *taken : {"6h", " 12h V\u00e4ike "}) {
        boxes.clear();
        tree->clearSelection();
        window->findChild<QLineEdit *>(QStringLiteral("eClassName"))->setText(QString::fromUtf8(taken));
        click("btnAddClass");
        ASSERT_EQ(boxes.size(), 1) << taken;
        EXPECT_TRUE(boxes.first().startsWith(QStringLiteral("There is a class ") + QString::fromUtf8(taken).trimmed() + QStringLiteral(" already")))
            << boxes.first().toStdString();
        EXPECT_EQ(nodeTexts(), before);
    }

    // Names are stored trimmed; a class keeps its own name when only its times change.
    boxes.clear();
    window->findChild<QLineEdit *>(QStringLiteral("eClassName"))->setText(QStringLiteral("  3h "));
    click("btnAddClass");
    clickClass(QStringLiteral("6h"));
    field("eEditClassName")->setText(QStringLiteral(" 6h "));
    typeTime(*window, "meEditStartTime", "130000");
    click("btnChangeClass");
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join(u'\n').toStdString();
    EXPECT_TRUE(nodeTexts().contains(QStringLiteral("3h<*>(12:00:00|012:00:00|00:30:00)"))) << nodeTexts().join(u' ').toStdString();
    EXPECT_TRUE(nodeTexts().contains(QStringLiteral("6h<*>(13:00:00|006:00:00|00:30:00)"))) << nodeTexts().join(u' ').toStdString();
}

TEST_F(ClassEditor, RenamingAClassTeamsAreEnteredInAsksFirst)
{
    insertRow(*data, QStringLiteral("team"), {{"number", 1}, {"name", "Owls"}, {"class", "6h"}});
    insertRow(*data, QStringLiteral("team"), {{"number", 2}, {"name", "Larks"}, {"class", "12h"}, {"subclass", "6h"}});
    clickClass(QStringLiteral("6h"));
    typeTime(*window, "eEditClassName", "");
    QTest::keyClicks(field("eEditClassName"), QStringLiteral("8h"));
    click("btnChangeClass", QMessageBox::No);
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(boxes.first(), QStringLiteral("Teams entered in class 6h: 2. They keep that class and are left out of the results until it is "
                                            "changed. Rename the class to 8h?|%1")
                                 .arg(QMessageBox::No));
    EXPECT_TRUE(item(QStringLiteral("6h"))) << "No keeps the name";

    click("btnChangeClass", QMessageBox::Yes);
    EXPECT_TRUE(item(QStringLiteral("8h")));

    // Times alone change without a question.
    boxes.clear();
    typeTime(*window, "meEditStartTime", "090000");
    click("btnChangeClass");
    EXPECT_TRUE(boxes.isEmpty());
    EXPECT_EQ(item(QStringLiteral("8h"))->text(1), QStringLiteral("09:00:00"));
}

TEST_F(ClassEditor, RemovingAsksNamingTheSubClassesAndLeavesNothingSelected)
{
    insertRow(*data, QStringLiteral("team"), {{"number", 1}, {"name", "Owls"}, {"class", "12h V\u00e4ike"}});
    clickClass(QStringLiteral("12h"));
    click("btnRemoveClass", QMessageBox::No);
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(boxes.first(), QStringLiteral("Remove class 12h with its sub-classes 12h N\u00f5mme, 12h V\u00e4ike?\n"
                                            "Teams entered in them: 1. They will be left out of the results.|%1")
                                 .arg(QMessageBox::No));
    EXPECT_EQ(nodeTexts().size(), 5) << "No keeps the class";

    click("btnRemoveClass", QMessageBox::Yes);
    EXPECT_EQ(nodeTexts(), QStringList({"6h<*>(12:00:00|006:00:00|00:30:00)", "-6hV"}));
    EXPECT_TRUE(tree->selectedItems().isEmpty());
    EXPECT_FALSE(button("btnRemoveClass")->isEnabled());

    // A second click removes nothing and asks nothing.
    boxes.clear();
    click("btnRemoveClass", QMessageBox::Yes);
    EXPECT_TRUE(boxes.isEmpty());
    EXPECT_EQ(nodeTexts().size(), 2);

    clickClass(QStringLiteral("6hV"));
    click("btnRemoveClass", QMessageBox::Yes);
    EXPECT_EQ(boxes.constLast(), QStringLiteral("Remove class 6hV?|%1").arg(QMessageBox::Yes));
    EXPECT_EQ(nodeTexts(), QStringList({"6h<*>(12:00:00|006:00:00|00:30:00)"}));
}

TEST_F(ClassEditor, Screenshot)
{
    window->resize(980, 560);
    clickClass(QStringLiteral("6h"));
    const QImage shot = window->grab().toImage();
    ASSERT_FALSE(shot.isNull());
    const QString target = qEnvironmentVariable("KORVENT_SCREENSHOT_DIR");
    if (!target.isEmpty()) {
        EXPECT_TRUE(shot.save(target + QStringLiteral("/class-editor.png")));
    }
}

TEST_F(EventInfoFixture, DeletingACountryAsksFirst)
{
    writeFile(program + QStringLiteral("common/countrys.txt"), "EST=Eesti\r\nFIN=Suomi\r\n");
    auto window = open();
    window->show();
    auto *countries = window->findChild<QTableView *>(QStringLiteral("vleCountrys"));
    countries->setCurrentIndex(countries->model()->index(1, 0));
    for (const auto answer : {QMessageBox::No, QMessageBox::Yes}) {
        QString question;
        whenModal<QMessageBox>([&question, answer](QMessageBox *box) {
            question = box->text();
            box->button(answer)->click();
        });
        QTest::mouseClick(window->findChild<QWidget *>(QStringLiteral("sbDeleteCountry")), Qt::LeftButton);
        EXPECT_EQ(question, QStringLiteral("Delete country FIN Suomi?"));
    }
    ASSERT_EQ(window->countries()->countries().size(), 1u);
    EXPECT_EQ(window->countries()->countries().front().first, QStringLiteral("EST"));
}

TEST_F(EventInfoFixture, ChangesOfAnotherProgramAreShownOnOpeningAndKeptByClosing)
{
    auto window = open();
    window->findChild<QLineEdit *>(QStringLiteral("leOrganiser"))->setText(QStringLiteral("Forest Club"));
    window->show();
    window->close();

    // korvent-cli settings set and a class tree written by another program, while the window is closed.
    EventSettings::update(event, [](EventSettings &settings) { settings.eventName = QStringLiteral("Changed elsewhere"); });
    WriteClassTreeFile(ClassTreeFileName(event), {{QStringLiteral("H21<*>(09:00:00|006:00:00|00:30:00)"), 0}});
    window->show();
    EXPECT_EQ(window->findChild<QLineEdit *>(QStringLiteral("leName"))->text(), QStringLiteral("Changed elsewhere"));
    EXPECT_EQ(window->findChild<QLineEdit *>(QStringLiteral("leOrganiser"))->text(), QStringLiteral("Forest Club"));
    ASSERT_EQ(window->classTree().size(), 1u);
    EXPECT_EQ(window->classTree()[0].text, QStringLiteral("H21<*>(09:00:00|006:00:00|00:30:00)"));
    window->close();
    EXPECT_EQ(EventSettings::load(event).eventName, QStringLiteral("Changed elsewhere"));
    EXPECT_EQ(shared.snapshot()->settings.eventName, QStringLiteral("Changed elsewhere"));
    EXPECT_EQ(shared.snapshot()->classTree.size(), 1u);
}

TEST_F(EventInfoFixture, ClosingWritesOnlyWhatTheOperatorChangedAndKeepsOtherProgramsChanges)
{
    WriteClassTreeFile(ClassTreeFileName(event), {{QStringLiteral("H12<*>(10:00:00|012:00:00|00:30:00)"), 0}});
    auto window = open();
    window->show();

    // Another program changes settings and classes while the window is open.
    QProcess cli;
    cli.setWorkingDirectory(folderOf(root));
    cli.start(QStringLiteral(KORVENT_CLI_PATH),
              {"--event", "event", "settings", "set", "leOrganiser=Põhja Klubi", "leLocation=Järvselja"});
    ASSERT_TRUE(cli.waitForFinished(30'000));
    ASSERT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
    const ClassTree otherTree = {{QStringLiteral("W6<*>(11:00:00|006:00:00|00:20:00)"), 0}, {QStringLiteral("W6 Juniors"), 1}};
    WriteClassTreeFile(ClassTreeFileName(event), otherTree);

    window->findChild<QLineEdit *>(QStringLiteral("leName"))->setText(QStringLiteral("Öine rogain"));
    window->close();
    const EventSettings stored = EventSettings::load(event);
    EXPECT_EQ(stored.eventName, QStringLiteral("Öine rogain"));
    EXPECT_EQ(stored.organiser, QStringLiteral("Põhja Klubi"));
    EXPECT_EQ(stored.eventArea, QStringLiteral("Järvselja"));
    ASSERT_EQ(ReadClassTreeFile(ClassTreeFileName(event)).size(), 2u);
    EXPECT_EQ(ReadClassTreeFile(ClassTreeFileName(event))[1].text, QStringLiteral("W6 Juniors"));
    EXPECT_EQ(shared.snapshot()->settings.organiser, QStringLiteral("Põhja Klubi"));
    EXPECT_EQ(shared.snapshot()->classTree.size(), 2u);

    // Opened again it shows both changes; classes the operator changes are written.
    window->show();
    EXPECT_EQ(window->findChild<QLineEdit *>(QStringLiteral("leOrganiser"))->text(), QStringLiteral("Põhja Klubi"));
    addClass(*window, QStringLiteral("M18"), true);
    EventSettings::update(event, [](EventSettings &settings) { settings.courseSetter = QStringLiteral("Mari Mets"); });
    window->close();
    const ClassTree written = ReadClassTreeFile(ClassTreeFileName(event));
    ASSERT_EQ(written.size(), 3u);
    EXPECT_TRUE(std::any_of(written.begin(), written.end(),
                            [](const ClassNode &node) { return node.text.startsWith(QStringLiteral("M18<*>")); }));
    EXPECT_EQ(EventSettings::load(event).courseSetter, QStringLiteral("Mari Mets"));
    EXPECT_EQ(EventSettings::load(event).eventName, QStringLiteral("Öine rogain"));
}

TEST_F(EventInfoFixture, OnlyAChangedCountryListBecomesTheUsersOwnAndTheShippedOneStays)
{
    const ProgramFiles installed{program + QStringLiteral("config/setup.ini"), program + QStringLiteral("user/"),
                                 program + QStringLiteral("common/"), QString()};
    const QString own = installed.userFile(QStringLiteral("countrys.txt"));
    auto window = std::make_unique<TfEventInfo>(event, installed, *data, shared);
    window->show();
    window->close();
    EXPECT_FALSE(QFileInfo::exists(own)); // unchanged: it goes on following the shipped list

    window->show();
    CountryListModel *countries = window->countries();
    countries->insertRows(countries->rowCount(), 1);
    countries->setData(countries->index(1, 0), QStringLiteral("LAT"), Qt::EditRole);
    countries->setData(countries->index(1, 1), QStringLiteral("Latvija"), Qt::EditRole);
    window->close();
    EXPECT_EQ(readFile(own), QByteArray("EST=Estonia\r\nLAT=Latvija\r\n"));
    EXPECT_EQ(readFile(program + QStringLiteral("common/countrys.txt")), QByteArray("EST=Estonia\r\n"));
    // Opened again, the user's own list is the one shown.
    EXPECT_EQ(TfEventInfo(event, installed, *data, shared).countries()->countries().size(), 2u);
}
