#pragma once

#include <QPrinterInfo>
#include <QStringList>

// The printer every "print" command uses; raises KorventError "There is no
// default printer" when none is set up, so a print never vanishes silently.
QPrinterInfo DefaultPrinter();

// Prints the lines in fixed pitch as a job with this title; printer index -1
// is the default printer, others count the installed printers.
void PrintTextLinesOnPrinter(const QStringList &lines, const QString &title, bool landscape, int printerIndex);
