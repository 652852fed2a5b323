#include "reports/ui/uMDItekst.h"

#include "base/KorventError.h"
#include "base/TextFile.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QInputDialog>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPrintDialog>
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
        QMessageBox::critical(this, tr("Korvent"), error.message());
        return false;
    }
    m_editor->document()->setModified(false);
    return true;
}

bool TfMDItekst::saveClick()
{
    const QString fileName = QFileDialog::getSaveFileName(this, tr("Salvesta fail kui"), windowTitle(),
                                                          tr("All files (*.*);;Text files (*.txt);;RTF files (*.rtf);;HTML files (*.htm)"),
                                                          nullptr, QFileDialog::DontConfirmOverwrite);
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
    QPrintDialog dialog(&printer, this);
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintPageRange | QAbstractPrintDialog::PrintSelection);
    if (dialog.exec() == QDialog::Accepted)
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
    bool ok = false;
    const QString text = QInputDialog::getText(this, tr("Find"), tr("Find what:"), QLineEdit::Normal, QString(), &ok);
    if (ok && !text.isEmpty())
        findNext(text);
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
