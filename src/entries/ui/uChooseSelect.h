#pragma once

// "Check Data": the choice of checks from a rule file, and the command that
// runs them and shows the findings in a text window.

#include "base/ProgramFiles.h"
#include "store/ClassTable.h"

#include <QDialog>
#include <vector>

class QListWidget;

class TfChooseSelect : public QDialog
{
    Q_OBJECT

public:
    explicit TfChooseSelect(QWidget *parent = nullptr);

    // One entry per check, unticked.
    void setTitles(const QStringList &titles);
    std::vector<bool> checkedEntries() const;

    QListWidget *clbCheckList;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Inverts the tick of every entry.
    void clbCheckListDblClick();
};

// Asks for the rule file (the program's checklist.kvchk offered), lets the operator
// choose the checks, runs the ticked ones on the event's database off the
// window thread and shows their findings, or "No errors". A missing file is
// reported as "No file" + its name and nothing is checked. A rejected
// statement raises KorventError.
void CheckData(QWidget *parent, const QString &eventDirectory, const ProgramFiles &program, const ClassTree &classTree);
