#include "dataeditor/ui/uFieldSelection.h"

#include "base/KorventError.h"
#include "base/ui/CheckListItems.h"
#include "base/Platform.h"
#include "base/ui/OverrideCursor.h"
#include "dataeditor/SpreadsheetExport.h"
#include "base/ui/FileDialogs.h"

#include <QDir>
#include <QComboBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

TfrmFieldSelection::TfrmFieldSelection(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmFieldSelection"));
    setWindowTitle(tr("Field Selection"));
    clbFields = new QListWidget(this);
    clbFields->setObjectName(QStringLiteral("clbFields"));
    clbFields->setContextMenuPolicy(Qt::CustomContextMenu);
    auto *listMenu = new QMenu(this);
    listMenu->setObjectName(QStringLiteral("pmFields"));
    QAction *invert = listMenu->addAction(tr("Invert selection"));
    invert->setObjectName(QStringLiteral("actInvertSelection"));
    connect(invert, &QAction::triggered, this, &TfrmFieldSelection::invertSelection);
    connect(clbFields, &QWidget::customContextMenuRequested, this,
            [this, listMenu](const QPoint &at) { listMenu->popup(clbFields->viewport()->mapToGlobal(at)); });

    cbRecordLimit = new QComboBox(this);
    cbRecordLimit->setObjectName(QStringLiteral("cbRecordLimit"));
    cbRecordLimit->setEditable(true);
    // A number typed is the number meant: "2" must not complete to "200".
    cbRecordLimit->setCompleter(nullptr);
    cbRecordLimit->addItems(RecordLimitChoices());
    auto *limitLabel = new QLabel(tr("Limit number of exported records to:"), this);
    limitLabel->setBuddy(cbRecordLimit);

    const auto button = [this](const char *name, const QString &caption) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        return b;
    };
    QPushButton *selectAll = button("btnSelectAll", tr("&Select All"));
    QPushButton *unselectAll = button("btnUnselectAll", tr("&Unselect All"));
    QPushButton *ok = button("btnOK", tr("&OK"));
    QPushButton *cancel = button("btnCancel", tr("&Cancel"));
    ok->setDefault(true);
    connect(selectAll, &QPushButton::clicked, this, [this] { setAllTicks(true); });
    connect(unselectAll, &QPushButton::clicked, this, [this] { setAllTicks(false); });
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *side = new QVBoxLayout;
    side->addWidget(selectAll);
    side->addWidget(unselectAll);
    side->addStretch();
    side->addWidget(ok);
    side->addWidget(cancel);
    auto *top = new QHBoxLayout;
    top->addWidget(clbFields, 1);
    top->addLayout(side);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(limitLabel);
    layout->addWidget(cbRecordLimit);
    resize(380, 360);
}

void TfrmFieldSelection::setFields(const QStringList &names)
{
    SetCheckListItems(clbFields, names, true);
    cbRecordLimit->setCurrentIndex(0);
    cbRecordLimit->setEditText(cbRecordLimit->itemText(0));
}

std::vector<bool> TfrmFieldSelection::chosenFields() const
{
    return CheckListTicks(clbFields);
}

QString TfrmFieldSelection::limitText() const
{
    return cbRecordLimit->currentText();
}

void TfrmFieldSelection::setAllTicks(bool ticked)
{
    SetAllCheckListTicks(clbFields, ticked);
}

void TfrmFieldSelection::invertSelection()
{
    InvertCheckListTicks(clbFields);
}

void ExportDataSetToExcel(const db::SqlOutcome &data, bool showDialog, QStatusBar *statusBar, TfrmFieldSelection &selection,
                          const QString &folder, QWidget *parent)
{
    if (data.rows.empty())
        return;
    QStringList names;
    for (const db::SqlColumn &column : data.columns)
        names.append(column.name);
    selection.setFields(names);
    if (showDialog && selection.exec() != QDialog::Accepted)
        return;
    const std::optional<qint64> limit = RecordLimit(selection.limitText());
    if (!limit) {
        QMessageBox::warning(parent, QCoreApplication::translate("ExportDataSetToExcel", "Korvent"),
                             QCoreApplication::translate("ExportDataSetToExcel", "You specified an invalid number of records to export!"));
        return;
    }

    const QString fileName = ChooseFileName(parent, {.kind = FileQuestion::FileToWrite,
                                                     .caption = QCoreApplication::translate("ExportDataSetToExcel", "Save table as spreadsheet"),
                                                     .start = QDir(folder).filePath(QStringLiteral("AbsDb.xlsx")),
                                                     .filters = QCoreApplication::translate("ExportDataSetToExcel", "Excel workbooks (*.xlsx)"),
                                                     .defaultSuffix = QStringLiteral("xlsx"),
                                                     .objectName = QStringLiteral("SaveDialogExcel")});
    if (fileName.isEmpty())
        return;

    qint64 written = 0;
    {
        const OverrideCursor wait(Qt::WaitCursor);
        written = WriteSpreadsheet(fileName, data, selection.chosenFields(), *limit, [statusBar](qint64 count) {
            if (statusBar)
                statusBar->showMessage(RecordsExportedText(count));
            // The window repaints; the operator's input waits for the end.
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        });
    }
    const bool opened = Platform::openWithDefaultApplication(fileName);
    if (statusBar)
        statusBar->showMessage(opened ? ExportDoneText(written) : ExportNotOpenedText(written, fileName));
    if (!opened)
        throw KorventError(QCoreApplication::translate("ExportDataSetToExcel", "%1 records were written to %2, but no program could be started to open it")
                               .arg(written)
                               .arg(fileName));
}
