#include "TestFolder.h"

#include "base/TextPrinting.h"

#include <QFont>
#include <QFontMetrics>
#include <QPdfWriter>

#include <gtest/gtest.h>

TEST(TextPrinting, PadTextCutsOrFills)
{
    EXPECT_EQ(PadText(QStringLiteral("Maria"), 3, false), QStringLiteral("Mar"));
    EXPECT_EQ(PadText(QStringLiteral("7"), 3, true), QStringLiteral("  7"));
    EXPECT_EQ(PadText(QStringLiteral("7"), 3, false), QStringLiteral("7  "));
    EXPECT_EQ(PadText(QStringLiteral("abc"), 3, true), QStringLiteral("abc"));
}

TEST(TextPrinting, FiftyLinesOfSixtyOnAPageOfThreeThousand)
{
    const auto pages = TextPageLayout(101, 60, 3000);
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(pages[0].size(), 50u);
    EXPECT_EQ(pages[0].front(), 20);
    EXPECT_EQ(pages[0].back(), 2960);
    EXPECT_EQ(pages[1].front(), 20);
    EXPECT_EQ(pages[2].size(), 1u);
    EXPECT_EQ(TextPageLayout(50, 60, 3000).size(), 1u); // no empty page after a full one
    EXPECT_TRUE(TextPageLayout(0, 60, 3000).empty());
}

TEST(TextPrinting, ListingStartsOneLineDownAndKeepsTwoLinesFree)
{
    // Lines at 60, 120, ... 2880: the next one, 2940, would pass 3000 less two lines.
    const auto pages = ListingPageLayout(97, 60, 3000);
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(pages[0].size(), 48u);
    EXPECT_EQ(pages[0].front(), 60);
    EXPECT_EQ(pages[0].back(), 2880);
    EXPECT_EQ(pages[1].front(), 60);
    EXPECT_EQ(pages[2], std::vector<int>({60}));
    EXPECT_EQ(ListingPageLayout(48, 60, 3000).size(), 1u);
    EXPECT_TRUE(ListingPageLayout(0, 60, 3000).empty());
}

TEST(TextPrinting, PrintedPagesFollowTheirLayout)
{
    using Layout = std::vector<std::vector<int>> (*)(int, int, int);
    using Print = void (*)(QPagedPaintDevice &, const QStringList &);
    const struct { const char *name; Layout layout; Print print; int pointSize; int lines; } cases[] = {
        {"listing", &ListingPageLayout, &PrintListing, 10, 150},
        {"text lines", &TextPageLayout, &PrintTextLines, 12, 130},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const QString pdf = folderOf(dir) + QStringLiteral("lines.pdf");
        QStringList lines;
        for (int i = 0; i < c.lines; ++i)
            lines.append(QStringLiteral("%1 row").arg(i));
        int expectedPages = 0;
        {
            QPdfWriter writer(pdf);
            QFont font(QStringLiteral("Courier New"), c.pointSize);
            font.setStyleHint(QFont::TypeWriter);
            const int lineHeight = static_cast<int>(QFontMetrics(font, &writer).height() * 1.2);
            expectedPages = static_cast<int>(c.layout(static_cast<int>(lines.size()), lineHeight, writer.height()).size());
            c.print(writer, lines);
        }
        ASSERT_GT(expectedPages, 1);
        EXPECT_EQ(readFile(pdf).count("/Type /Page\n") + readFile(pdf).count("/Type /Page\r"), expectedPages);
    }
}
