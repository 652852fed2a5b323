#pragma once

// Line framing of a readout connection: CR LF ends a line; every complete
// line of a receive is handed out whatever its length; without a line end,
// more than 100 buffered bytes are thrown away and framing starts afresh.
// Backspace removes the byte before it, a tab becomes blanks up to the next
// multiple of 8 columns.

#include <QByteArray>
#include <QList>

class LineFramer
{
public:
    static constexpr int LineLimit = 100;

    // The complete lines of this receive, each with its CR LF.
    QList<QByteArray> receive(const QByteArray &bytes);

private:
    QByteArray m_buffer;
};
