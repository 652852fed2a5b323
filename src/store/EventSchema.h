#pragma once

// The five tables of rogain.abs, field by field, in stored order.

#include "db/TableDefinition.h"

#include <vector>

const std::vector<db::TableDefinition> &EventTables();
// The table by name; raises KorventError for a name that is not one of them.
const db::TableDefinition &EventTable(const QString &name);
