#include "base/TextPrinting.h"

#include <QFont>
#include <QFontMetrics>
#include <QPagedPaintDevice>
#include <QPainter>

QString PadText(const QString &text, int width, bool rightAligned)
{
    if (text.size() > width)
        return text.left(width);
    return rightAligned ? text.rightJustified(width, u' ') : text.leftJustified(width, u' ');
}

std::vector<std::vector<int>> TextPageLayout(int lineCount, int lineHeight, int pageHeight)
{
    std::vector<std::vector<int>> pages;
    if (lineCount == 0)
        return pages;
    pages.emplace_back();
    int y = 20;
    for (int i = 0; i < lineCount; ++i) {
        if (y == 20 && !pages.back().empty())
            pages.emplace_back();
        pages.back().push_back(y);
        y += lineHeight;
        if (y > pageHeight - 10)
            y = 20;
    }
    return pages;
}

std::vector<std::vector<int>> ListingPageLayout(int lineCount, int lineHeight, int pageHeight)
{
    std::vector<std::vector<int>> pages;
    int y = lineHeight;
    for (int i = 0; i < lineCount; ++i) {
        if (pages.empty() || (y == lineHeight && !pages.back().empty()))
            pages.emplace_back();
        pages.back().push_back(y);
        y += lineHeight;
        if (y > pageHeight - 2 * lineHeight)
            y = lineHeight;
    }
    return pages;
}

namespace {

void printPages(QPagedPaintDevice &device, QPainter &painter, int x, const std::vector<std::vector<int>> &pages, const QStringList &lines)
{
    qsizetype index = 0;
    for (size_t page = 0; page < pages.size(); ++page) {
        if (page > 0)
            device.newPage();
        for (const int top : pages[page])
            painter.drawText(x, top + painter.fontMetrics().ascent(), lines.at(index++));
    }
}

QFont courier(int pointSize)
{
    QFont font(QStringLiteral("Courier New"), pointSize);
    font.setStyleHint(QFont::TypeWriter);
    return font;
}

} // namespace

void PrintListing(QPagedPaintDevice &device, const QStringList &lines)
{
    QPainter painter(&device);
    const QFont font = courier(10);
    painter.setFont(font);
    const int lineHeight = static_cast<int>(QFontMetrics(font, &device).height() * 1.2);
    printPages(device, painter, 10, ListingPageLayout(static_cast<int>(lines.size()), lineHeight, device.height()), lines);
}

void PrintTextLines(QPagedPaintDevice &device, const QStringList &lines)
{
    QPainter painter(&device);
    const QFont font = courier(12);
    painter.setFont(font);
    const int lineHeight = static_cast<int>(QFontMetrics(font, &device).height() * 1.2);
    printPages(device, painter, 30, TextPageLayout(static_cast<int>(lines.size()), lineHeight, device.height()), lines);
}
