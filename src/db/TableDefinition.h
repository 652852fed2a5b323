#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <vector>

namespace db {

// Kinds of stored field and how each is kept in the file:
// date-time TEXT "YYYY-MM-DD HH:MM:SS[.zzz]", date TEXT "YYYY-MM-DD",
// boolean INTEGER 0/1, texts and memos TEXT, numbers INTEGER; empty is NULL.
enum class FieldKind { AutoIncrement, Integer, LargeInt, Text, Memo, Date, DateTime, Boolean };

struct FieldDefinition
{
    QString name;
    FieldKind kind;
    int size = 0;            // characters, for Text
    QString label;           // column title in grids; empty: the field name
    QVariant defaultValue;   // invalid: no default
    qint64 minimum = 0;      // numbers: the range the grids accept, when maximum > minimum
    qint64 maximum = 0;

    // The column title: the label, or the name when there is none.
    QString title() const { return label.isEmpty() ? name : label; }
};

struct IndexDefinition
{
    QString name;            // stored as <table>_<name>
    QStringList fields;
    bool unique = false;
};

struct TableDefinition
{
    QString name;
    std::vector<FieldDefinition> fields;
    std::vector<IndexDefinition> indexes;

    const FieldDefinition *field(const QString &fieldName) const;
};

} // namespace db
