#pragma once

// The five tables of rogain.abs, field by field, in stored order.

#include "db/TableDefinition.h"

#include <vector>

const std::vector<db::TableDefinition> &EventTables();
// The tables of the settings, class tree and correction log an event on a
// server keeps as rows (EventRecords); missing ones are made when a database
// is opened, an older program reads past them.
const std::vector<db::TableDefinition> &EventRecordTables();
// Both: the schema an event database is opened with.
const std::vector<db::TableDefinition> &EventDatabaseTables();
// The version of the tables, kept in the file. 1: the five tables as they are;
// a file without one (0) holds them too. A change to the tables raises it and
// adds the step that brings an older file to it.
inline constexpr int EventSchemaVersion = 1;
// The table by name; raises KorventError for a name that is not one of them.
const db::TableDefinition &EventTable(const QString &name);
