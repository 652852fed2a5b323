#pragma once

// A grid column with a pick list: the cell editor is a combo box offering
// the items, and any other text may still be typed.

#include <QStringList>
#include <QStyledItemDelegate>

class PickListDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit PickListDelegate(QObject *parent = nullptr);

    const QStringList &items() const { return m_items; }
    void setItems(const QStringList &items) { m_items = items; }

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;

private:
    QStringList m_items;
};
