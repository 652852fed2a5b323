#pragma once

// The report chooser: which report, and for the results which classes.
// Its items are the reports of the registry, in order; those not built yet
// are shown disabled.

#include "registry/ReportRegistry.h"

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
    std::vector<ReportKind> m_kinds; // one per item
    QListWidget *clbClasses;
    TRadioGroup *rgReport;
};
