#include "reports/ui/TextPrinter.h"

#include "reports/TextPrinting.h"

#include <QPrinter>
#include <QPrinterInfo>

void PrintTextLinesOnPrinter(const QStringList &lines, const QString &title, bool landscape, int printerIndex)
{
    const QList<QPrinterInfo> printers = QPrinterInfo::availablePrinters();
    const QPrinterInfo chosen = printerIndex >= 0 && printerIndex < printers.size() ? printers[printerIndex] : QPrinterInfo::defaultPrinter();
    QPrinter printer(chosen, QPrinter::HighResolution);
    printer.setDocName(title);
    printer.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    PrintTextLines(printer, lines);
}
