#pragma once

// The print dialog of the report windows: it opens on the page-range choice,
// set to every page of the document as it will print.

#include <QAbstractPrintDialog>

class QPrinter;
class QTextDocument;
class QWidget;

// The pages the document takes on the printer, laid out as QTextDocument::print lays them out.
int PrintedPageCount(const QTextDocument &document, QPrinter &printer);

// Shows the print dialog for the printer; true when the operator confirmed it.
bool AskPrintJob(QPrinter &printer, const QTextDocument &document, QAbstractPrintDialog::PrintDialogOptions options, QWidget *parent);
