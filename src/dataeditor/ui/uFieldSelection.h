#pragma once

// The spreadsheet export of a statement's rows: the "Field Selection" dialog
// (which columns, how many rows) and the export that writes the workbook
// and opens it in the desktop's spreadsheet program.

#include "db/SqlScript.h"

#include <QDialog>
#include <vector>

class QComboBox;
class QListWidget;
class QStatusBar;

class TfrmFieldSelection : public QDialog
{
    Q_OBJECT

public:
    explicit TfrmFieldSelection(QWidget *parent = nullptr);

    // Every field listed and ticked, "All" chosen.
    void setFields(const QStringList &names);
    std::vector<bool> chosenFields() const;
    QString limitText() const;

    QListWidget *clbFields;
    QComboBox *cbRecordLimit;

private:
    void setAllTicks(bool ticked);
    void invertSelection();
};

// Asks for the fields and the limit (when showDialog), then for the
// workbook's file in `folder`, writes it with the progress in the status bar
// and opens it. Nothing happens without rows. Raises KorventError when the
// file cannot be written or no program opens it.
void ExportDataSetToExcel(const db::SqlOutcome &data, bool showDialog, QStatusBar *statusBar, TfrmFieldSelection &selection,
                          const QString &folder, QWidget *parent);
