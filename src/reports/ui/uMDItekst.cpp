#include "reports/ui/uMDItekst.h"

#include "reports/ui/FindDialog.h"
#include "reports/ui/PrintJob.h"

#include "base/KorventError.h"
#include "base/ui/FileDialogs.h"
#include "base/ui/MessageBoxSink.h"
#include "base/TextFile.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QFontDialog>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPrinter>

namespace {

QFont listingFont()
{
    QFont font(QStringLiteral("Courier New"), 10);
    font.setStyleHint(QFont::TypeWriter);
    return font;
}

} // namespace

TfMDItekst::TfMDItekst(QWidget *parent)
    : QMainWindow(parent, Qt::Window)
    , m_editor(new QPlainTextEdit(this))
    , m_find(new FindDialog(this))
{
    setObjectName(QStringLiteral("fMDItekst"));
    setWindowTitle(tr("Text"));
    m_editor->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_editor->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_editor->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_editor->setFont(listingFont());
    setCentralWidget(m_editor);

    QMenu *file = menuBar()->addMenu(tr("&File"));
    file->setToolTip(tr("File edit"));
    QAction *save = file->addAction(tr("&Save"), QKeySequence(Qt::CTRL | Qt::Key_S), this, [this] { saveClick(); });
    save->setStatusTip(tr("Save to file"));
    QAction *print = file->addAction(tr("&Print"), QKeySequence(Qt::CTRL | Qt::Key_P), this, &TfMDItekst::printClick);
    print->setStatusTip(tr("Print out"));
    file->addSeparator();
    QAction *font = file->addAction(tr("&Font"), this, &TfMDItekst::fontClick);
    QAction *find = file->addAction(tr("&Find"), QKeySequence(Qt::CTRL | Qt::Key_F), this, &TfMDItekst::findClick);
    find->setObjectName(QStringLiteral("aFind"));
    QAction *findNext = file->addAction(tr("Find &next"), QKeySequence(Qt::Key_F3), this, &TfMDItekst::findNextClick);
    findNext->setObjectName(QStringLiteral("aFindNext"));
    connect(m_find, &FindDialog::findNext, this, &TfMDItekst::findNext);

    m_editor->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto *separator = new QAction(this);
    separator->setSeparator(true);
    m_editor->addActions({save, print, find, separator, font});
    resize(760, 520);
}

void TfMDItekst::setLines(const QStringList &lines)
{
    m_editor->setPlainText(lines.join(u'\n'));
    m_editor->document()->setModified(false);
}

bool TfMDItekst::saveTo(const QString &fileName)
{
    if (QFileInfo::exists(fileName)
        && QMessageBox::question(this, tr("Confirm"), fileName + tr(" File already exists. Overwrite?"),
                                 QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel) != QMessageBox::Yes)
        return false;
    try {
        WriteTextLines(fileName, m_editor->toPlainText().split(u'\n'));
    } catch (const KorventError &error) {
        MessageBoxSink(this).error(error.message());
        return false;
    }
    m_editor->document()->setModified(false);
    return true;
}

bool TfMDItekst::saveClick()
{
    const QString fileName = ChooseFileName(this, {.kind = FileQuestion::FileToReplace,
                                                   .caption = tr("Salvesta fail kui"),
                                                   .start = windowTitle(),
                                                   .filters = tr("All files (*.*);;Text files (*.txt);;RTF files (*.rtf);;HTML files (*.htm)")});
    return !fileName.isEmpty() && saveTo(fileName);
}

bool TfMDItekst::findNext(const QString &text)
{
    QTextCursor from = m_editor->textCursor();
    if (!from.hasSelection())
        from.movePosition(QTextCursor::Start);
    else
        from.setPosition(from.selectionEnd());
    const QTextCursor hit = m_editor->document()->find(text, from, QTextDocument::FindCaseSensitively);
    if (hit.isNull())
        return false;
    m_editor->setTextCursor(hit);
    m_editor->setFocus();
    return true;
}

void TfMDItekst::printClick()
{
    QPrinter printer;
    printer.setDocName(QStringLiteral("PrintOut"));
    if (AskPrintJob(printer, *m_editor->document(), QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintSelection, this))
        m_editor->print(&printer);
}

void TfMDItekst::fontClick()
{
    bool ok = false;
    QFont initial(QStringLiteral("Courier New"));
    initial.setPixelSize(13);
    const QFont chosen = QFontDialog::getFont(&ok, initial, this);
    if (ok)
        m_editor->setFont(chosen);
}

void TfMDItekst::findClick()
{
    m_find->popUp();
}

void TfMDItekst::findNextClick()
{
    if (m_find->findText().isEmpty())
        m_find->popUp();
    else
        findNext(m_find->findText());
}

void TfMDItekst::closeEvent(QCloseEvent *event)
{
    if (m_editor->document()->isModified())
        saveClick();
    event->accept();
}

TfMDItekst *ShowTextWindow(const QStringList &lines, QWidget *parent)
{
    auto *window = new TfMDItekst(parent);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setLines(lines);
    window->show();
    return window;
}
