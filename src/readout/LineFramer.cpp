#include "readout/LineFramer.h"

QList<QByteArray> LineFramer::receive(const QByteArray &bytes)
{
    for (const char c : bytes) {
        if (c == '\b') {
            if (!m_buffer.isEmpty())
                m_buffer.chop(1);
        } else if (c == '\t') {
            const qsizetype column = m_buffer.size() - (m_buffer.lastIndexOf('\n') + 1);
            m_buffer.append(8 - column % 8, ' ');
        } else {
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
    return lines;
}
