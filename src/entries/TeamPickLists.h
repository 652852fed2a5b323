#pragma once

// What the team grid offers in its country, class and extra class columns.

#include "store/ClassTable.h"
#include "store/CountryList.h"

#include <QStringList>

// The country codes in list order.
QStringList CountryPickList(const CountryList &countries);
// The sub-classes in tree order: main class nodes carry times, not a class a team enters.
QStringList ClassPickList(const ClassTree &tree);
// The extra classes of the setting, split at ";"; more than 26 is an error (KorventError).
QStringList ExtraClassPickList(const QString &subClasses);
