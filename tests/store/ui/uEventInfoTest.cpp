#include "TestFolder.h"

#include "store/ClassTable.h"
#include "store/CountryList.h"
#include "store/EventSetup.h"
#include "base/IniFile.h"
#include "store/uData.h"
#include "store/ui/uEventInfo.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
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
};

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
