#pragma once

// A QListWidget used as a list of tick boxes, as the choice dialogs show it.

#include <QStringList>
#include <vector>

class QListWidget;

// Replaces the entries with one tickable entry per text, each ticked or not.
void SetCheckListItems(QListWidget *list, const QStringList &texts, bool ticked);
// Whether each entry is ticked, in list order.
std::vector<bool> CheckListTicks(const QListWidget *list);
// Ticks every entry, or clears every tick.
void SetAllCheckListTicks(QListWidget *list, bool ticked);
// Turns every tick over.
void InvertCheckListTicks(QListWidget *list);
