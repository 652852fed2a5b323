#include "course/ui/uCreateControls.h"

#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

TEST(CreateControlsDialog, CaptionLabelsAndDefaults)
{
    TfCreateControls dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Create controls"));
    auto *form = dialog.findChild<QFormLayout *>();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(static_cast<QLabel *>(form->labelForField(dialog.findChild<QSpinBox *>(QStringLiteral("seFrom"))))->text(), QStringLiteral("From:"));
    EXPECT_EQ(static_cast<QLabel *>(form->labelForField(dialog.findChild<QSpinBox *>(QStringLiteral("seTo"))))->text(), QStringLiteral("To:"));
    EXPECT_EQ(dialog.from(), 20);
    EXPECT_EQ(dialog.to(), 59);
    EXPECT_EQ(dialog.findChild<QPushButton *>(QStringLiteral("btnOK"))->text(), QStringLiteral("OK"));
}

TEST(CreateControlsDialog, TypedNumbersAndOkOrEscape)
{
    {
        TfCreateControls dialog;
        QTimer::singleShot(0, &dialog, [&dialog] {
            auto *from = dialog.findChild<QSpinBox *>(QStringLiteral("seFrom"));
            from->selectAll();
            QTest::keyClicks(from, QStringLiteral("100"));
            auto *to = dialog.findChild<QSpinBox *>(QStringLiteral("seTo"));
            to->selectAll();
            QTest::keyClicks(to, QStringLiteral("9"));
            QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("btnOK")), Qt::LeftButton);
        });
        EXPECT_EQ(dialog.exec(), QDialog::Accepted);
        EXPECT_EQ(dialog.from(), 100);
        EXPECT_EQ(dialog.to(), 9);
    }
    {
        TfCreateControls dialog;
        QTimer::singleShot(0, &dialog, [&dialog] { QTest::keyClick(&dialog, Qt::Key_Escape); });
        EXPECT_EQ(dialog.exec(), QDialog::Rejected);
    }
}
