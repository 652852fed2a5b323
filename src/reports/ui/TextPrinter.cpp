#include "reports/ui/TextPrinter.h"

#include "base/KorventError.h"
#include "base/TextPrinting.h"

#include <QCoreApplication>
#include <QPrinter>

QPrinterInfo DefaultPrinter()
{
    const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
    if (printer.isNull())
        throw KorventError(QCoreApplication::translate("Printing", "There is no default printer"));
    return printer;
}

void PrintTextLinesOnPrinter(const QStringList &lines, const QString &title, bool landscape, int printerIndex)
{
    const QList<QPrinterInfo> printers = QPrinterInfo::availablePrinters();
    const QPrinterInfo chosen = printerIndex >= 0 && printerIndex < printers.size() ? printers[printerIndex] : DefaultPrinter();
    QPrinter printer(chosen, QPrinter::HighResolution);
    printer.setDocName(title);
    printer.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    PrintTextLines(printer, lines);
}
