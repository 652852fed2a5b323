#include "TestFolder.h"

#include "store/ui/ControlPersistence.h"
#include "base/IniFile.h"
#include "base/ui/TRadioGroup.h"
#include "store/ui/lmTimeEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

// A window with one control of every kind the persistence knows, plus some it must skip.
struct SampleWindow : QWidget
{
    QLineEdit *eText = add<QLineEdit>("eText");
    QLineEdit *meMasked = add<QLineEdit>("meMasked");
    QSpinBox *seNumber = add<QSpinBox>("seNumber");
    QCheckBox *cbFlag = add<QCheckBox>("cbFlag");
    TRadioGroup *rgChoice = new TRadioGroup(QStringLiteral("Choice"), {"a", "b", "c"}, this);
    QComboBox *cbList = add<QComboBox>("cbList");
    QListWidget *lbLines = add<QListWidget>("lbLines");
    QPlainTextEdit *mMemo = add<QPlainTextEdit>("mMemo");
    QTableWidget *sgGrid = add<QTableWidget>("sgGrid");
    TlmTimeEdit *teTime = add<TlmTimeEdit>("teTime");
    QDateTimeEdit *dtpWhen = add<QDateTimeEdit>("dtpWhen");
    QTreeWidget *tvSkipped = add<QTreeWidget>("tvSkipped");
    QPushButton *btnSkipped = add<QPushButton>("btnSkipped");

    SampleWindow()
    {
        rgChoice->setObjectName(QStringLiteral("rgChoice"));
        meMasked->setInputMask(QStringLiteral("99:99:99;_"));
        seNumber->setRange(-100, 100);
        cbList->addItems({"x", "y", "z"});
    }

    template <typename W>
    W *add(const char *name)
    {
        auto *widget = new W(this);
        widget->setObjectName(QString::fromLatin1(name));
        return widget;
    }
};

const QString section = QStringLiteral("fSample");

} // namespace

TEST(ControlPersistence, EveryControlKindRoundTrips)
{
    QTemporaryDir dir;
    IniFile ini(folderOf(dir) + QStringLiteral("setup.ini"));
    {
        SampleWindow window;
        window.eText->setText(QStringLiteral("Rogaine, 24h"));
        window.meMasked->setText(QStringLiteral("21:30:00"));
        window.seNumber->setValue(-42);
        window.cbFlag->setChecked(true);
        window.rgChoice->setItemIndex(2);
        window.cbList->setCurrentIndex(1);
        window.lbLines->addItems({"first", "", "third"});
        window.mMemo->setPlainText(QStringLiteral("one\ntwo"));
        window.sgGrid->setRowCount(2);
        window.sgGrid->setColumnCount(2);
        window.sgGrid->setItem(1, 0, new QTableWidgetItem(QStringLiteral("r1c0")));
        window.teTime->setTimeInt(4'500'000);
        window.dtpWhen->setDateTime(QDateTime(QDate(2026, 7, 4), QTime(9, 30, 15)));
        SaveControls(&window, ini, section);
    }
    ini.save();
    const IniFile stored(ini.fileName());
    EXPECT_EQ(stored.keys(section),
              QStringList({"eText", "meMasked", "seNumber", "cbFlag", "rgChoice", "cbList", "lbLines_0", "lbLines_1",
                           "lbLines_2", "mMemo_0", "mMemo_1", "sgGrid_rows", "sgGrid_cols", "sgGrid_0_0", "sgGrid_0_1",
                           "sgGrid_1_0", "sgGrid_1_1", "teTime", "dtpWhen"}));
    EXPECT_EQ(stored.readString(section, QStringLiteral("teTime")), QStringLiteral("4500000"));
    EXPECT_EQ(stored.readString(section, QStringLiteral("dtpWhen")), QStringLiteral("2026-07-04 09:30:15"));
    EXPECT_EQ(stored.readString(section, QStringLiteral("cbFlag")), QStringLiteral("1"));

    SampleWindow loaded;
    LoadControls(&loaded, stored, section);
    EXPECT_EQ(loaded.eText->text(), QStringLiteral("Rogaine, 24h"));
    EXPECT_EQ(loaded.meMasked->text(), QStringLiteral("21:30:00"));
    EXPECT_EQ(loaded.seNumber->value(), -42);
    EXPECT_TRUE(loaded.cbFlag->isChecked());
    EXPECT_EQ(loaded.rgChoice->itemIndex(), 2);
    EXPECT_EQ(loaded.cbList->currentIndex(), 1);
    ASSERT_EQ(loaded.lbLines->count(), 3);
    EXPECT_EQ(loaded.lbLines->item(2)->text(), QStringLiteral("third"));
    EXPECT_EQ(loaded.mMemo->toPlainText(), QStringLiteral("one\ntwo"));
    EXPECT_EQ(loaded.sgGrid->rowCount(), 2);
    EXPECT_EQ(loaded.sgGrid->item(1, 0)->text(), QStringLiteral("r1c0"));
    EXPECT_EQ(loaded.teTime->TimeInt(), 4'500'000);
    EXPECT_EQ(loaded.dtpWhen->dateTime(), QDateTime(QDate(2026, 7, 4), QTime(9, 30, 15)));
}

TEST(ControlPersistence, ListStopsAtAGapAndUnknownKeysDisappear)
{
    QTemporaryDir dir;
    const QString file = folderOf(dir) + QStringLiteral("setup.ini");
    writeFile(file, "[fSample]\r\nlbLines_0=kept\r\nlbLines_2=after the gap\r\nstale=1\r\nseNumber=abc\r\ndtpWhen=garbage\r\n");
    IniFile ini(file);
    SampleWindow window;
    window.seNumber->setValue(7);
    const QDateTime when(QDate(2020, 1, 2), QTime(3, 4, 5));
    window.dtpWhen->setDateTime(when);
    LoadControls(&window, ini, section);
    ASSERT_EQ(window.lbLines->count(), 1);
    EXPECT_EQ(window.lbLines->item(0)->text(), QStringLiteral("kept"));
    EXPECT_EQ(window.seNumber->value(), 7);     // unreadable: kept
    EXPECT_EQ(window.dtpWhen->dateTime(), when); // unreadable: kept

    SaveControls(&window, ini, section);
    ini.save();
    const IniFile stored(file);
    EXPECT_FALSE(stored.hasKey(section, QStringLiteral("stale")));
    EXPECT_FALSE(stored.hasKey(section, QStringLiteral("lbLines_2")));
}

TEST(ControlPersistence, ControlTextIsTheStoredValueOfOneControl)
{
    SampleWindow window;
    struct Case
    {
        QWidget *control;
        const char *text;
        const char *unreadable;
    };
    for (const Case &c : {Case{window.eText, "Rogaine", nullptr}, Case{window.seNumber, "-42", "many"},
                          Case{window.cbFlag, "1", "yes"}, Case{window.rgChoice, "2", "b"}, Case{window.cbList, "1", "y"},
                          Case{window.teTime, "4500000", "noon"}, Case{window.dtpWhen, "2026-07-04 09:30:15", "04.07.2026"}}) {
        SetControlText(c.control, QLatin1String(c.text));
        EXPECT_EQ(ControlText(c.control), QLatin1String(c.text)) << c.text;
        if (c.unreadable) {
            SetControlText(c.control, QLatin1String(c.unreadable));
            EXPECT_EQ(ControlText(c.control), QLatin1String(c.text)) << c.unreadable;
        }
    }
    // A number beyond a spin box's range is held to it, as the control itself would.
    SetControlText(window.seNumber, QStringLiteral("1000"));
    EXPECT_EQ(window.seNumber->value(), 100);
    EXPECT_FALSE(ControlText(window.lbLines).has_value());
    EXPECT_FALSE(ControlText(window.tvSkipped).has_value());
}
