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

    std::unique_ptr<TfEventInfo> open() { return std::make_unique<TfEventInfo>(event, program, *data, shared); }

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
    EXPECT_EQ(published->settings.leName, QStringLiteral("Autumn Rogaine"));
    const ClassTable table = LoadClassTable(published->classTree);
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table[1].path[0], QStringLiteral("H12"));
    EXPECT_EQ(table[1].penaltyTime, 180'000);
    EXPECT_EQ(IniFile(event + QStringLiteral("setup.ini")).readString(QStringLiteral("fEventInfo"), QStringLiteral("leName")),
              QStringLiteral("Autumn Rogaine"));
    EXPECT_EQ(readFile(CountryListFileName(program)), QByteArray("EST=Estonia\r\n"));
}

TEST_F(EventInfoFixture, RemovingEveryClassKeepsTheStoredTree)
{
    WriteClassTreeFile(ClassTreeFileName(event), {{"A3<*>(10:00:00|003:00:00|00:30:00)", 0}});
    auto window = open();
    auto *tree = window->findChild<QTreeWidget *>(QStringLiteral("tvClassList"));
    ASSERT_EQ(tree->topLevelItemCount(), 1);
    tree->setCurrentItem(tree->topLevelItem(0));
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
    data->insertRow(QStringLiteral("control"), {{"controlnr", "31"}, {"unitnumber", 31}, {"points", 30}, {"type", "C"}, {"pos_x", 1200}, {"pos_y", 800}});
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
    EXPECT_EQ(reopened->settings().leName, QStringLiteral("Night Rogaine"));
    EXPECT_EQ(reopened->settings().dtpDate, QDateTime(QDate(2026, 6, 13), QTime(0, 0)));
    EXPECT_EQ(reopened->settings().rgControlCard, 1);
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

TEST_F(EventInfoFixture, OutOfRangeControlCardReadsAsTheCoreReadsIt)
{
    for (const auto &[stored, read] : {std::pair{"5", 1}, std::pair{"-3", 0}}) {
        writeFile(EventSettings::fileName(event), QByteArray("[fEventInfo]\r\nrgControlCard=") + stored + "\r\n");
        EXPECT_EQ(EventSettings::load(event).rgControlCard, read) << stored;
        auto window = open();
        EXPECT_EQ(window->findChild<TRadioGroup *>(QStringLiteral("rgControlCard"))->itemIndex(), read) << stored;
        window->show();
        window->close();
        EXPECT_TRUE(settingsText(event).contains(QStringLiteral("\r\nrgControlCard=%1\r\n").arg(read))) << stored;
    }
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
    const qint64 control = data->insertRow(QStringLiteral("control"), {{"controlnr", "31"}, {"points", 3}, {"text", "Boulder"}});
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
    const auto stored = [&](const char *field) { return data->findRow(QStringLiteral("control"), control)->value(QLatin1String(field)); };
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

TEST_F(EventInfoFixture, ChangesOfAnotherProgramAreShownOnOpeningAndKeptByClosing)
{
    auto window = open();
    window->findChild<QLineEdit *>(QStringLiteral("leOrganiser"))->setText(QStringLiteral("Forest Club"));
    window->show();
    window->close();

    // korvent-cli settings set and a class tree written by another program, while the window is closed.
    EventSettings::update(event, [](EventSettings &settings) { settings.leName = QStringLiteral("Changed elsewhere"); });
    WriteClassTreeFile(ClassTreeFileName(event), {{QStringLiteral("H21<*>(09:00:00|006:00:00|00:30:00)"), 0}});
    window->show();
    EXPECT_EQ(window->findChild<QLineEdit *>(QStringLiteral("leName"))->text(), QStringLiteral("Changed elsewhere"));
    EXPECT_EQ(window->findChild<QLineEdit *>(QStringLiteral("leOrganiser"))->text(), QStringLiteral("Forest Club"));
    ASSERT_EQ(window->classTree().size(), 1u);
    EXPECT_EQ(window->classTree()[0].text, QStringLiteral("H21<*>(09:00:00|006:00:00|00:30:00)"));
    window->close();
    EXPECT_EQ(EventSettings::load(event).leName, QStringLiteral("Changed elsewhere"));
    EXPECT_EQ(shared.snapshot()->settings.leName, QStringLiteral("Changed elsewhere"));
    EXPECT_EQ(shared.snapshot()->classTree.size(), 1u);
}
