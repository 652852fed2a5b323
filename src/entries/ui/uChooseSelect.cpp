#include "entries/ui/uChooseSelect.h"

#include "base/ui/CheckListItems.h"
#include "base/ui/LongWork.h"
#include "entries/DataCheck.h"
#include "reports/ui/uMDItekst.h"
#include "base/ui/FileDialogs.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

TfChooseSelect::TfChooseSelect(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("fChooseSelect"));
    setWindowTitle(tr("Choose reports"));
    clbCheckList = new QListWidget(this);
    clbCheckList->setObjectName(QStringLiteral("clbCheckList"));
    clbCheckList->viewport()->installEventFilter(this);

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *ok = buttons->addButton(QDialogButtonBox::Ok);
    ok->setObjectName(QStringLiteral("btnOK"));
    ok->setText(tr("OK"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(clbCheckList);
    layout->addWidget(buttons);
    resize(360, 300);
}

void TfChooseSelect::setTitles(const QStringList &titles)
{
    SetCheckListItems(clbCheckList, titles, false);
}

std::vector<bool> TfChooseSelect::checkedEntries() const
{
    return CheckListTicks(clbCheckList);
}

bool TfChooseSelect::eventFilter(QObject *watched, QEvent *event)
{
    // Anywhere in the list, on an entry or not.
    if (watched == clbCheckList->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        clbCheckListDblClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TfChooseSelect::clbCheckListDblClick()
{
    InvertCheckListTicks(clbCheckList);
}

void CheckData(QWidget *parent, const QString &eventDirectory, const ProgramFiles &program, const ClassTree &classTree)
{
    // A name that is not there is answered with "No file".
    const QString fileName = ChooseFileName(parent, {.kind = FileQuestion::AnyFileToOpen,
                                                     .caption = QObject::tr("Open file"),
                                                     .start = DataCheckRuleFileName(program),
                                                     .filters = QObject::tr("KVTCheck (*.kvchk)"),
                                                     .defaultSuffix = QStringLiteral("kvchk"),
                                                     .objectName = QStringLiteral("OpenDialog1")});
    if (fileName.isEmpty())
        return;

    const std::optional<std::vector<CheckRule>> rules = ReadCheckRules(fileName);
    if (!rules) {
        QMessageBox::information(parent, QObject::tr("Korvent"), QObject::tr("No file") + fileName);
        return;
    }
    TfChooseSelect choose(parent);
    QStringList titles;
    for (const CheckRule &rule : *rules)
        titles.append(rule.title);
    choose.setTitles(titles);
    // However the dialog is closed, the entries ticked then are run.
    choose.exec();

    const std::vector<bool> chosen = choose.checkedEntries();
    // The checks only read: stopping them leaves nothing to undo.
    const std::optional<QStringList> report =
        LongWork(parent, eventDirectory, QObject::tr("Check Data")).run([&](LongWorkTools &work) {
            return RunDataCheck(work.data.connection(), *rules, chosen, classTree, DataCheckMostFindings, work.progress);
        });
    if (!report)
        return;
    if (report->isEmpty())
        QMessageBox::information(parent, QObject::tr("Korvent"), QObject::tr("No errors"));
    else
        ShowTextWindow(*report, parent);
}
