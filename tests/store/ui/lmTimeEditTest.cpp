#include "store/ui/lmTimeEdit.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct TimeEditFixture : ::testing::Test
{
    TlmTimeEdit edit;

    void type(const char *keys) { QTest::keyClicks(&edit, QLatin1String(keys)); }
};

} // namespace

TEST_F(TimeEditFixture, StartsInFirstFormatWithItsInitialText)
{
    EXPECT_EQ(edit.TimeFormat(), TlmTimeEditFormat::hhmmss);
    EXPECT_EQ(edit.text(), QStringLiteral("00:00.00"));
    EXPECT_EQ(edit.maxLength(), 8);
    EXPECT_EQ(edit.cursorPosition(), 0);
    EXPECT_EQ(edit.size(), QSize(80, 24));
    EXPECT_TRUE(edit.font().bold());
}

TEST_F(TimeEditFixture, DigitsOverwriteAndSkipSeparators)
{
    type("123045");
    EXPECT_EQ(edit.text(), QStringLiteral("12:30.45"));
    EXPECT_EQ(edit.TimeInt(), 4'504'500);
}

TEST_F(TimeEditFixture, DigitAboveTheMaskBeepsAndChangesNothing)
{
    QSignalSpy rejected(&edit, &TlmTimeEdit::keyRejected);
    type("12");
    ASSERT_EQ(edit.cursorPosition(), 3); // before the first minutes digit (mask 5)
    type("7");
    EXPECT_EQ(rejected.count(), 1);
    EXPECT_EQ(edit.text(), QStringLiteral("12:00.00"));
    EXPECT_EQ(edit.cursorPosition(), 3);
    type("a");
    EXPECT_EQ(rejected.count(), 2);
    EXPECT_EQ(edit.text(), QStringLiteral("12:00.00"));
}

TEST_F(TimeEditFixture, EditingKeys)
{
    QSignalSpy ready(&edit, &TlmTimeEdit::OnReady);
    type("1234");
    QTest::keyClick(&edit, Qt::Key_Left);
    EXPECT_EQ(edit.cursorPosition(), 4);
    QTest::keyClick(&edit, Qt::Key_Left);
    EXPECT_EQ(edit.cursorPosition(), 3); // past the separator
    QTest::keyClick(&edit, Qt::Key_Left);
    EXPECT_EQ(edit.cursorPosition(), 1);
    QTest::keyClick(&edit, Qt::Key_Home);
    EXPECT_EQ(edit.cursorPosition(), 0);
    QTest::keyClick(&edit, Qt::Key_Left);
    EXPECT_EQ(edit.cursorPosition(), 0); // stays at the start
    QTest::keyClick(&edit, Qt::Key_Right);
    QTest::keyClick(&edit, Qt::Key_Right);
    EXPECT_EQ(edit.cursorPosition(), 3);
    QTest::keyClick(&edit, Qt::Key_Return);
    EXPECT_EQ(ready.count(), 1);
    QTest::keyClick(&edit, Qt::Key_Backspace);
    EXPECT_EQ(edit.text(), QStringLiteral("00:00.00"));
    EXPECT_EQ(edit.cursorPosition(), 0);
    type("9");
    QTest::keyClick(&edit, Qt::Key_Delete);
    EXPECT_EQ(edit.text(), QStringLiteral("00:00.00"));
}

TEST_F(TimeEditFixture, KeypadDigitsCount)
{
    QTest::keyClick(&edit, Qt::Key_2, Qt::KeypadModifier);
    EXPECT_EQ(edit.text(), QStringLiteral("20:00.00"));
}

TEST_F(TimeEditFixture, PastTheLastPlaceOnlyAutoEnterMoves)
{
    QSignalSpy ready(&edit, &TlmTimeEdit::OnReady);
    type("11223344");
    EXPECT_EQ(edit.text(), QStringLiteral("11:22.34")); // the last digit overwrote the last place
    EXPECT_EQ(ready.count(), 0);
    EXPECT_EQ(edit.cursorPosition(), 7); // stays on the last place

    edit.setAutoEnter(true);
    edit.CursorToStart();
    type("112233");
    EXPECT_EQ(ready.count(), 1);
    QTest::keyClick(&edit, Qt::Key_Right);
    EXPECT_EQ(ready.count(), 2);
}

TEST_F(TimeEditFixture, FormatAndValueProperties)
{
    edit.setTimeFormat(TlmTimeEditFormat::hhmmsskt);
    EXPECT_EQ(edit.text(), QStringLiteral("00:00.00,00"));
    EXPECT_EQ(edit.maxLength(), 11);
    edit.setTimeInt(4'500'057);
    EXPECT_EQ(edit.text(), QStringLiteral("12:30.00,57"));
    EXPECT_EQ(edit.cursorPosition(), 0);
    edit.setTimeStr(QStringLiteral("01:02.03,04"));
    EXPECT_EQ(edit.TimeInt(), 372'304);
    EXPECT_EQ(edit.text(), QStringLiteral("01:02.03,04"));
    type("0000000");
    type("9");
    EXPECT_EQ(edit.text(), QStringLiteral("00:00.00,09"));
    EXPECT_EQ(edit.TimeInt(), 9);

    edit.setTimeFormat(TlmTimeEditFormat::xhmmss);
    type("1");
    EXPECT_EQ(edit.text(), QStringLiteral("000:00:00")); // mask digit 0 allows only 0
}
