#include "reports/ui/uSelectReport.h"

#include "base/ui/CheckListItems.h"
#include "reports/ClassGroup.h"

#include "base/ui/TRadioGroup.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

TfSelectReport::TfSelectReport(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("fSelectReport"));
    setWindowTitle(tr("Reports"));
    clbClasses = new QListWidget(this);
    clbClasses->setObjectName(QStringLiteral("clbClasses"));
    QStringList items;
    for (const ReportKindEntry &entry : ReportRegistry()) {
        if (entry.family != ReportFamily::Report)
            continue;
        m_kinds.push_back(entry.kind);
        items.append(entry.captionText());
    }
    rgReport = new TRadioGroup(tr("Select report"), items, this);
    rgReport->setObjectName(QStringLiteral("rgReport"));

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *print = buttons->addButton(tr("Print"), QDialogButtonBox::AcceptRole);
    print->setObjectName(QStringLiteral("btnPrint"));
    print->setDefault(true);
    buttons->addButton(QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *classes = new QVBoxLayout;
    classes->addWidget(new QLabel(tr("Classes"), this));
    classes->addWidget(clbClasses);
    auto *columns = new QHBoxLayout;
    columns->addLayout(classes);
    columns->addWidget(rgReport);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addWidget(buttons);
}

void TfSelectReport::setClasses(const ClassTree &tree)
{
    SetCheckListItems(clbClasses, MainClassNames(tree), true);
}

QStringList TfSelectReport::checkedClasses() const
{
    QStringList classes;
    for (int i = 0; i < clbClasses->count(); ++i)
        if (clbClasses->item(i)->checkState() == Qt::Checked)
            classes.append(clbClasses->item(i)->text());
    return classes;
}

ReportKind TfSelectReport::chosenReport() const
{
    return m_kinds[static_cast<size_t>(qMax(0, rgReport->itemIndex()))];
}
