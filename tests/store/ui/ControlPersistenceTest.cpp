#include "store/ui/ControlPersistence.h"

#include "base/ui/TRadioGroup.h"
#include "store/ui/lmTimeEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QListWidget>
#include <QSpinBox>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

// A window with one control of every kind that holds a setting, plus some that hold none.
struct SampleWindow : QWidget
{
    QLineEdit *eText = add<QLineEdit>("eText");
    QSpinBox *seNumber = add<QSpinBox>("seNumber");
    QCheckBox *cbFlag = add<QCheckBox>("cbFlag");
    TRadioGroup *rgChoice = new TRadioGroup(QStringLiteral("Choice"), {"a", "b", "c"}, this);
    QComboBox *cbList = add<QComboBox>("cbList");
    QListWidget *lbLines = add<QListWidget>("lbLines");
    TlmTimeEdit *teTime = add<TlmTimeEdit>("teTime");
    QDateTimeEdit *dtpWhen = add<QDateTimeEdit>("dtpWhen");
    QTreeWidget *tvSkipped = add<QTreeWidget>("tvSkipped");

    SampleWindow()
    {
        rgChoice->setObjectName(QStringLiteral("rgChoice"));
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

} // namespace

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
