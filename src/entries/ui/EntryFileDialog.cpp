#include "entries/ui/EntryFileDialog.h"

#include "base/KorventError.h"
#include "base/Platform.h"
#include "base/ui/MessageBoxSink.h"
#include "entries/EntryImport.h"

#include <QDir>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

TEntryFileDialog::TEntryFileDialog(const ProgramFiles &program, const FileQuestion &question, QWidget *parent)
    : TOpenTextFileDialog(question, parent)
    , m_program(program)
    , lFormat(new QLabel(this))
    , btnWriteExample(new QPushButton(tr("Write an example file"), this))
{
    lFormat->setObjectName(QStringLiteral("lFormat"));
    lFormat->setWordWrap(true);
    lFormat->setText(tr("One line a runner, after a header line; the runners of a team repeat its values. Columns, separated by \";\" "
                        "(or \",\"), values in double quotes or not: entry id; team name; club; class; first name; last name; "
                        "birth date (%1, D.M.YYYY or YYYY-MM-DD; empty when unknown); sex (M or W); chip number (empty for a "
                        "rental chip); country code; extra class (optional). A team is found again by its entry id.")
                         .arg(Platform::shortDateFormat()));
    btnWriteExample->setObjectName(QStringLiteral("btnWriteExample"));
    btnWriteExample->setAutoDefault(false);
    btnWriteExample->setToolTip(tr("Writes import-example.csv with every column into the folder shown"));
    // Below the file name, type and encoding rows of the widget dialog.
    if (auto *grid = qobject_cast<QGridLayout *>(layout())) {
        const int row = grid->rowCount();
        grid->addWidget(lFormat, row, 0, 1, grid->columnCount());
        grid->addWidget(btnWriteExample, row + 1, 0, 1, 2, Qt::AlignLeft);
    }
    connect(btnWriteExample, &QPushButton::clicked, this, &TEntryFileDialog::btnWriteExampleClick);
}

void TEntryFileDialog::btnWriteExampleClick()
{
    const QString fileName = QDir(directory().absolutePath()).filePath(QStringLiteral("import-example.csv"));
    const QString shown = QDir::toNativeSeparators(fileName);
    bool written = false;
    try {
        written = WriteEntryExample(m_program, fileName);
    } catch (const KorventError &error) {
        MessageBoxSink(this).error(error.message());
        return;
    }
    const QString message = written
        ? tr("The example is written to %1 (UTF-8). Open it to import it, or fill it in with a spreadsheet or text editor.").arg(shown)
        : tr("%1 is there already and is left as it is.").arg(shown);
    setEncoding(QStringLiteral("UTF-8"));
    selectFile(fileName);
    QMessageBox::information(this, tr("Import teams from file"), message);
}
