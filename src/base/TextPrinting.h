#pragma once

// Fixed-pitch listings: fitting values into columns and printing lines page by page.

#include <QString>
#include <QStringList>
#include <vector>

class QPagedPaintDevice;

// The text cut to the width, or padded with blanks to it (before it when right aligned).
QString PadText(const QString &text, int width, bool rightAligned);

// Where each line goes: pages of line tops. Lines start at 20 and go down by
// the line height; once a line's bottom passes the page height less 10 the
// next line starts a new page.
std::vector<std::vector<int>> TextPageLayout(int lineCount, int lineHeight, int pageHeight);

// Where each line of a grid listing goes: lines start one line height down
// and go down by it; once the next line would lie below the page height less
// two line heights it starts a new page, again one line height down.
std::vector<std::vector<int>> ListingPageLayout(int lineCount, int lineHeight, int pageHeight);

// Prints a grid listing in Courier 10 point at x = 10, laid out as above.
void PrintListing(QPagedPaintDevice &device, const QStringList &lines);

// Prints the lines in Courier 12 point at x = 30 on the device (a printer or
// a PDF writer whose title and orientation the caller has set).
void PrintTextLines(QPagedPaintDevice &device, const QStringList &lines);
