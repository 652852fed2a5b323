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
