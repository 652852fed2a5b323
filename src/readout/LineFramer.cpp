#include "readout/LineFramer.h"

QList<QByteArray> LineFramer::receive(const QByteArray &bytes)
{
    for (const char c : bytes) {
        if (c == '\b') {
            if (!m_buffer.isEmpty()) {
                if (m_buffer.back() == '\n')
                    m_lineFeeds.pop_back();
                m_buffer.chop(1);
            }
        } else if (c == '\t') {
            const qsizetype column = m_buffer.size() - (m_lineFeeds.empty() ? 0 : m_lineFeeds.back() + 1);
            m_buffer.append(8 - column % 8, ' ');
        } else {
            if (c == '\n')
                m_lineFeeds.push_back(m_buffer.size());
            m_buffer.append(c);
        }
    }
    QList<QByteArray> lines;
    qsizetype start = 0;
    for (qsizetype end = m_buffer.indexOf("\r\n"); end >= 0; end = m_buffer.indexOf("\r\n", start)) {
        lines.append(m_buffer.mid(start, end + 2 - start));
        start = end + 2;
    }
    m_buffer.remove(0, start);
    if (lines.isEmpty() && m_buffer.size() > LineLimit)
        m_buffer.clear();
    // The line feeds left in the buffer, at their new places.
    std::erase_if(m_lineFeeds, [start](qsizetype at) { return at < start; });
    for (qsizetype &at : m_lineFeeds)
        at -= start;
    if (m_buffer.isEmpty())
        m_lineFeeds.clear();
    return lines;
}

QByteArray LineFramer::withoutLineEnd(const QByteArray &line)
{
    return line.endsWith("\r\n") ? line.first(line.size() - 2) : line;
}
