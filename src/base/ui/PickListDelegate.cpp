#include "base/ui/PickListDelegate.h"

#include <QComboBox>
#include <QLineEdit>

PickListDelegate::PickListDelegate(QObject *parent)
    : QStyledItemDelegate(parent)
{
}

QWidget *PickListDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &) const
{
    auto *combo = new QComboBox(parent);
    combo->setEditable(true);
    // Typing never adds to the list, and what is typed is kept as typed.
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setCompleter(nullptr);
    combo->addItems(m_items);
    return combo;
}

void PickListDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    auto *combo = static_cast<QComboBox *>(editor);
    const QString text = index.data(Qt::EditRole).toString();
    combo->setCurrentIndex(combo->findText(text));
    combo->setEditText(text);
    combo->lineEdit()->selectAll();
}

void PickListDelegate::setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const
{
    model->setData(index, static_cast<QComboBox *>(editor)->currentText());
}
