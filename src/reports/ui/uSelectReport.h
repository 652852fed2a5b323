#pragma once

// The report chooser: which report, and for the results which classes.

#include "reports/ReportCatalogue.h"

#include "store/ClassTable.h"

#include <QDialog>

class QListWidget;
class TRadioGroup;

class TfSelectReport : public QDialog
{
    Q_OBJECT

public:
    explicit TfSelectReport(QWidget *parent = nullptr);

    // Lists the main classes of the tree, every one ticked.
    void setClasses(const ClassTree &tree);
    QStringList checkedClasses() const;
    ReportKind chosenReport() const;

private:
    QListWidget *clbClasses;
    TRadioGroup *rgReport;
};
