#pragma once

// Line framing of a readout connection: CR LF ends a line; every complete
// line of a receive is handed out whatever its length; without a line end,
// more than 100 buffered bytes are thrown away and framing starts afresh.
// Backspace removes the byte before it, a tab becomes blanks up to the next
// multiple of 8 columns (counted from the last LF). Each byte costs the same
// whatever the buffer holds.

#include <QByteArray>
#include <QList>
#include <vector>

class LineFramer
{
public:
    static constexpr int LineLimit = 100;

    // The complete lines of this receive, each with its CR LF.
    QList<QByteArray> receive(const QByteArray &bytes);

    // The line without its CR LF; any text is safe here, also one shorter than a line end.
    static QByteArray withoutLineEnd(const QByteArray &line);

private:
    QByteArray m_buffer;
    std::vector<qsizetype> m_lineFeeds; // positions of the LFs in m_buffer, for the tab columns
};
