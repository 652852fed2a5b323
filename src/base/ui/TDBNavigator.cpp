#include "base/ui/TDBNavigator.h"

#include "base/KorventError.h"
#include "base/ui/MessageBoxSink.h"
#include "db/EditableTableModel.h"

#include <QAbstractItemDelegate>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QTableView>
#include <QToolButton>

TDBNavigator::TDBNavigator(QTableView *view, db::EditableTableModel *model, QWidget *parent)
    : QWidget(parent)
    , m_view(view)
    , m_model(model)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    addButton(QStringLiteral("nbFirst"), QStringLiteral("|\u25C0"), tr("First record"), [this] { first(); });
    addButton(QStringLiteral("nbPrior"), QStringLiteral("\u25C0"), tr("Prior record"), [this] { prior(); });
    addButton(QStringLiteral("nbNext"), QStringLiteral("\u25B6"), tr("Next record"), [this] { next(); });
    addButton(QStringLiteral("nbLast"), QStringLiteral("\u25B6|"), tr("Last record"), [this] { last(); });
    addButton(QStringLiteral("nbInsert"), QStringLiteral("+"), tr("Insert record"), [this] { insert(); });
    addButton(QStringLiteral("nbDelete"), QStringLiteral("\u2212"), tr("Delete record"), [this] { remove(); });
    addButton(QStringLiteral("nbEdit"), QStringLiteral("\u25B3"), tr("Edit record"), [this] { edit(); });
    addButton(QStringLiteral("nbPost"), QStringLiteral("\u2713"), tr("Post edit"), [this] { post(); });
    addButton(QStringLiteral("nbCancel"), QStringLiteral("\u2717"), tr("Cancel edit"), [this] { cancel(); });
    addButton(QStringLiteral("nbRefresh"), QStringLiteral("\u21BB"), tr("Refresh data"), [this] { refresh(); });
    layout->addStretch();

    connect(m_model, &db::EditableTableModel::failed, this, [this](const QString &message) {
        m_refused = true;
        MessageBoxSink(this).error(message);
    });
}

void TDBNavigator::addButton(const QString &name, const QString &caption, const QString &hint, const std::function<void()> &action)
{
    auto *button = new QToolButton(this);
    button->setObjectName(name);
    button->setText(caption);
    button->setToolTip(hint);
    button->setMinimumWidth(28);
    // Taking the focus closes a cell editor, so its text is written before the button acts.
    button->setFocusPolicy(Qt::ClickFocus);
    connect(button, &QToolButton::clicked, this, action);
    layout()->addWidget(button);
}

void TDBNavigator::moveTo(int row)
{
    if (m_model->rowCount() == 0)
        return;
    row = qBound(0, row, m_model->rowCount() - 1);
    const int column = qMax(0, m_view->currentIndex().column());
    m_view->setCurrentIndex(m_model->index(row, column));
}

void TDBNavigator::first() { moveTo(0); }
void TDBNavigator::prior() { moveTo(m_view->currentIndex().row() - 1); }
void TDBNavigator::next() { moveTo(m_view->currentIndex().row() + 1); }

void TDBNavigator::last()
{
    while (m_model->canFetchMore())
        m_model->fetchMore();
    moveTo(m_model->rowCount() - 1);
}

void TDBNavigator::insert()
{
    const int row = m_view->currentIndex().isValid() ? m_view->currentIndex().row() + 1 : m_model->rowCount();
    if (!m_model->insertRow(row))
        return;
    moveTo(row);
    edit();
}

void TDBNavigator::remove()
{
    const QModelIndex current = m_view->currentIndex();
    if (!current.isValid())
        return;
    const QString question = m_deleteQuestion ? m_deleteQuestion(current.row()) : tr("Delete record?");
    if (QMessageBox::question(this, tr("Confirm"), question) != QMessageBox::Yes)
        return;
    m_model->removeRow(current.row());
}

void TDBNavigator::edit()
{
    QModelIndex current = m_view->currentIndex();
    if (!current.isValid() && m_model->rowCount() > 0)
        current = m_model->index(0, 0);
    if (current.isValid()) {
        // Start in the first visible column.
        if (m_view->isColumnHidden(current.column()))
            for (int c = 0; c < m_model->columnCount(); ++c)
                if (!m_view->isColumnHidden(c)) {
                    current = current.siblingAtColumn(c);
                    break;
                }
        m_view->setCurrentIndex(current);
        m_view->edit(current);
    }
}

QWidget *TDBNavigator::openEditor() const
{
    // Cell editors are opened on the current cell.
    const QModelIndex current = m_view->currentIndex();
    return current.isValid() ? m_view->indexWidget(current) : nullptr;
}

bool TDBNavigator::post()
{
    QWidget *editor = openEditor();
    if (!editor)
        return true;
    QAbstractItemDelegate *delegate = m_view->itemDelegateForIndex(m_view->currentIndex());
    m_refused = false;
    emit delegate->commitData(editor);
    emit delegate->closeEditor(editor, QAbstractItemDelegate::NoHint);
    return !m_refused;
}

void TDBNavigator::cancel()
{
    if (QWidget *editor = openEditor())
        emit m_view->itemDelegateForIndex(m_view->currentIndex())->closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
    m_model->dropNewRows();
}

void TDBNavigator::refresh()
{
    try {
        m_model->select();
    } catch (const KorventError &error) {
        MessageBoxSink(this).error(error.message());
    }
}
