#pragma once

// Reads a workbook written by the spreadsheet export back: an .xlsx file is a
// zip of XML parts (the sheet, its shared strings, the styles).

#include "base/XmlDocument.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <minizip/unzip.h>
#include <optional>

struct XlsxCell
{
    QString type;  // "s" shared string, "b" boolean, "" or "n" number
    QString value; // the text for strings, else as stored
    int style = 0;
};

struct XlsxStyle
{
    bool bold = false;
    QString font;
    QString size;
    QString align;
    QString numberFormat; // the custom format's code, when it has one
};

class XlsxReader
{
public:
    explicit XlsxReader(const QString &fileName)
    {
        unzFile zip = unzOpen(fileName.toLocal8Bit().constData());
        if (!zip)
            return;
        m_parts.insert(QStringLiteral("sheet"), part(zip, "xl/worksheets/sheet1.xml"));
        m_parts.insert(QStringLiteral("strings"), part(zip, "xl/sharedStrings.xml"));
        m_parts.insert(QStringLiteral("styles"), part(zip, "xl/styles.xml"));
        m_parts.insert(QStringLiteral("workbook"), part(zip, "xl/workbook.xml"));
        unzClose(zip);
        m_valid = true;
    }

    bool isValid() const { return m_valid; }

    QStringList sheetNames() const
    {
        QStringList names;
        XmlDocument workbook;
        workbook.loadBytes(m_parts.value(QStringLiteral("workbook")), QStringLiteral("workbook"));
        for (const XmlElement &sheet : workbook.documentElement().child(QStringLiteral("sheets")).children())
            names.append(sheet.attribute(QStringLiteral("name")));
        return names;
    }

    // Cells by reference ("A1"), strings resolved.
    QMap<QString, XlsxCell> cells() const
    {
        QStringList strings;
        if (!m_parts.value(QStringLiteral("strings")).isEmpty()) {
            XmlDocument shared;
            shared.loadBytes(m_parts.value(QStringLiteral("strings")), QStringLiteral("strings"));
            for (const XmlElement &item : shared.documentElement().children())
                strings.append(item.text());
        }
        XmlDocument sheet;
        sheet.loadBytes(m_parts.value(QStringLiteral("sheet")), QStringLiteral("sheet"));
        QMap<QString, XlsxCell> cells;
        for (const XmlElement &row : sheet.documentElement().child(QStringLiteral("sheetData")).children()) {
            for (const XmlElement &c : row.children()) {
                XlsxCell cell{c.attribute(QStringLiteral("t")), c.child(QStringLiteral("v")).text(), c.attribute(QStringLiteral("s")).toInt()};
                if (cell.type == QLatin1String("s"))
                    cell.value = strings.value(cell.value.toInt());
                cells.insert(c.attribute(QStringLiteral("r")), cell);
            }
        }
        return cells;
    }

    // The row numbers that hold cells, in order.
    QList<int> rows() const
    {
        XmlDocument sheet;
        sheet.loadBytes(m_parts.value(QStringLiteral("sheet")), QStringLiteral("sheet"));
        QList<int> numbers;
        for (const XmlElement &row : sheet.documentElement().child(QStringLiteral("sheetData")).children())
            numbers.append(row.attribute(QStringLiteral("r")).toInt());
        return numbers;
    }

    // Column widths by column number (from 1).
    QMap<int, double> columnWidths() const
    {
        XmlDocument sheet;
        sheet.loadBytes(m_parts.value(QStringLiteral("sheet")), QStringLiteral("sheet"));
        QMap<int, double> widths;
        for (const XmlElement &col : sheet.documentElement().child(QStringLiteral("cols")).children())
            for (int c = col.attribute(QStringLiteral("min")).toInt(); c <= col.attribute(QStringLiteral("max")).toInt(); ++c)
                widths.insert(c, col.attribute(QStringLiteral("width")).toDouble());
        return widths;
    }

    XlsxStyle style(int index) const
    {
        XmlDocument styles;
        styles.loadBytes(m_parts.value(QStringLiteral("styles")), QStringLiteral("styles"));
        const XmlElement root = styles.documentElement();
        const QList<XmlElement> xfs = root.child(QStringLiteral("cellXfs")).children();
        const XmlElement xf = xfs.value(index);
        const XmlElement font = root.child(QStringLiteral("fonts")).children().value(xf.attribute(QStringLiteral("fontId")).toInt());
        XlsxStyle style;
        style.bold = !font.child(QStringLiteral("b")).isNull();
        style.font = font.child(QStringLiteral("name")).attribute(QStringLiteral("val"));
        style.size = font.child(QStringLiteral("sz")).attribute(QStringLiteral("val"));
        style.align = xf.child(QStringLiteral("alignment")).attribute(QStringLiteral("horizontal"));
        for (const XmlElement &format : root.child(QStringLiteral("numFmts")).children())
            if (format.attribute(QStringLiteral("numFmtId")) == xf.attribute(QStringLiteral("numFmtId")))
                style.numberFormat = format.attribute(QStringLiteral("formatCode"));
        return style;
    }

private:
    static QByteArray part(unzFile zip, const char *name)
    {
        QByteArray bytes;
        if (unzLocateFile(zip, name, 0) != UNZ_OK || unzOpenCurrentFile(zip) != UNZ_OK)
            return bytes;
        char buffer[16384];
        int read = 0;
        while ((read = unzReadCurrentFile(zip, buffer, sizeof buffer)) > 0)
            bytes.append(buffer, read);
        unzCloseCurrentFile(zip);
        return bytes;
    }

    QMap<QString, QByteArray> m_parts;
    bool m_valid = false;
};
