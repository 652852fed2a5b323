#include "reports/TextPrinting.h"

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

void PrintTextLines(QPagedPaintDevice &device, const QStringList &lines)
{
    QPainter painter(&device);
    QFont font(QStringLiteral("Courier New"), 12);
    font.setStyleHint(QFont::TypeWriter);
    painter.setFont(font);
    const int lineHeight = static_cast<int>(QFontMetrics(font, &device).height() * 1.2);
    const auto pages = TextPageLayout(static_cast<int>(lines.size()), lineHeight, device.height());
    qsizetype index = 0;
    for (size_t page = 0; page < pages.size(); ++page) {
        if (page > 0)
            device.newPage();
        for (const int top : pages[page])
            painter.drawText(30, top + painter.fontMetrics().ascent(), lines.at(index++));
    }
}
