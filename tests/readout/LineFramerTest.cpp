#include "readout/LineFramer.h"

#include <gtest/gtest.h>

TEST(LineFramer, CompleteLinesOfAReceive)
{
    const struct { std::vector<QByteArray> receives; std::vector<QByteArray> lines; } cases[] = {
        {{"si\r\n"}, {"si\r\n"}},
        {{"s", "i\r", "\n"}, {"si\r\n"}},
        {{"push\r\nsi\r\ni x"}, {"push\r\n", "si\r\n"}},
        {{"ab\bc\r\n"}, {"ac\r\n"}},                 // backspace edits
        {{"a\tb\r\n"}, {"a       b\r\n"}},           // tab to column 8
        {{"ab\ncd\tX\r\n"}, {"ab\ncd      X\r\n"}},     // columns count from the last LF
        {{"abc\n\b\tX\r\n"}, {"abc     X\r\n"}},       // ... and from the one before when it is removed
        {{"abc", "\tX\r\n"}, {"abc     X\r\n"}},       // across receives
        {{"x\r\nab\n", "c\td\r\n"}, {"x\r\n", "ab\nc       d\r\n"}}, // after the lines before it went out
        {{"\b\b\tX\r\n"}, {"        X\r\n"}},
        {{"\r\n"}, {"\r\n"}},
        {{"si\n"}, {}},                               // LF alone ends nothing
        {{QByteArray(101, 'x'), "si\r\n"}, {"si\r\n"}},                         // over 100 bytes without end: dropped
        {{QByteArray(100, 'x'), "\r\n"}, {QByteArray(100, 'x') + "\r\n"}},   // 100 are kept
        {{QByteArray(300, 'x') + "\r\n"}, {QByteArray(300, 'x') + "\r\n"}},  // a long line arriving whole
    };
    for (const auto &c : cases) {
        LineFramer framer;
        std::vector<QByteArray> lines;
        for (const QByteArray &receive : c.receives)
            for (const QByteArray &line : framer.receive(receive))
                lines.push_back(line);
        EXPECT_EQ(lines, c.lines) << c.receives.front().left(20).toStdString();
    }
}

TEST(LineFramer, ManyTabsAfterALongTextInOneReceive)
{
    // Each tab measures its column; the text before it must not be scanned again.
    const QByteArray text(4 << 20, 'x');
    const QByteArray tabs(1 << 20, '\t');
    LineFramer framer;
    const QList<QByteArray> lines = framer.receive(text + tabs + "\r\n");
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0] == text + QByteArray(8 << 20, ' ') + "\r\n");
}

TEST(LineFramer, TheLineEndComesOffAnyLine)
{
    const struct { QByteArray line; QByteArray text; } cases[] = {
        {"si\r\n", "si"}, {"\r\n", ""}, {"\n", "\n"}, {"x", "x"}, {"", ""}, {"a\r\n\r\n", "a\r\n"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(LineFramer::withoutLineEnd(c.line), c.text) << c.line.toStdString();
}
