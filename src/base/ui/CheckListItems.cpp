#include "base/ui/CheckListItems.h"

#include <QListWidget>

namespace {

Qt::CheckState stateOf(bool ticked)
{
    return ticked ? Qt::Checked : Qt::Unchecked;
}

} // namespace

void SetCheckListItems(QListWidget *list, const QStringList &texts, bool ticked)
{
    list->clear();
    for (const QString &text : texts) {
        auto *item = new QListWidgetItem(text, list);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(stateOf(ticked));
    }
}

std::vector<bool> CheckListTicks(const QListWidget *list)
{
    std::vector<bool> ticks;
    for (int i = 0; i < list->count(); ++i)
        ticks.push_back(list->item(i)->checkState() == Qt::Checked);
    return ticks;
}

void SetAllCheckListTicks(QListWidget *list, bool ticked)
{
    for (int i = 0; i < list->count(); ++i)
        list->item(i)->setCheckState(stateOf(ticked));
}

void InvertCheckListTicks(QListWidget *list)
{
    for (int i = 0; i < list->count(); ++i) {
        QListWidgetItem *item = list->item(i);
        item->setCheckState(stateOf(item->checkState() != Qt::Checked));
    }
}
