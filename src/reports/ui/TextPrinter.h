#pragma once

#include <QStringList>

// Prints the lines in fixed pitch as a job with this title; printer index -1
// is the default printer, others count the installed printers.
void PrintTextLinesOnPrinter(const QStringList &lines, const QString &title, bool landscape, int printerIndex);
