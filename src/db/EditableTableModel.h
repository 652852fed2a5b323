#pragma once

// The rows of one table for a grid to show and edit.
//
// Rows are fetched in batches as the view scrolls to them. Every edit is one
// transaction through the connection (the file's writer lock, bound
// parameters, empty text stored as NULL) and only the edited row is read back.
// A filter and a master row narrow the rows (the runners of the current team,
// say); new rows take the master's value.
//
// A new row is held in the model until a value is typed into it; that value
// inserts it. The core calls (setValue, insertNewRows, removeStoredRows,
// select) raise KorventError; the item-model calls the views make report the
// same errors through failed() and leave the row as stored.

#include "db/TableDefinition.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QVariantMap>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace db {

class Connection;

class EditableTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    // Shows the fields named, in that order; all but the key when none are named.
    EditableTableModel(Connection &connection, TableDefinition table, const QStringList &fields = {}, QObject *parent = nullptr);

    const TableDefinition &table() const { return m_table; }
    // The column of a shown field; -1 when it is not shown.
    int columnOf(const QString &field) const;

    // What select() reads. Only rows whose field equals the value, texts
    // compared without regard to letter case (in any alphabet); an empty field
    // name takes every row.
    void setFilter(const QString &field, const QVariant &value);
    // Only rows whose field equals the value; new rows get the value. A null
    // value (no master row) shows no rows and refuses new ones.
    void setMaster(const QString &field, const QVariant &value);
    // Values every new row starts with besides the master's (the team of a
    // punch entered by hand, its status).
    void setNewRowValues(const QVariantMap &values);
    // Sort fields; the key orders rows that are equal in them.
    void setOrder(const QStringList &fields);
    // A column title other than the field's own.
    void setColumnTitle(const QString &field, const QString &title);
    // Only the rows of these keys, in this order (the rows a statement
    // returned), in place of filter, master and order; a row stored through
    // the model joins them. Each key once.
    void setKeys(const std::vector<qint64> &keys);
    // The text a stored value shows in the grid (status codes as their texts,
    // dates in the computer's formats, say). Date and date-time cells are
    // edited in that text; edits take it as well as the stored form.
    void setDisplayText(std::function<QString(const QString &field, const QVariant &stored)> displayText);
    // Runs in the transaction that deletes rows, before they go, with their
    // keys (the runners of deleted teams go with them, say).
    void setBeforeDelete(std::function<void(Connection &connection, const QVariantList &ids)> beforeDelete);

    // Reads the rows anew: the keys of every row, the first batch in full.
    void select();

    // The stored key of a row; 0 for a new row not stored yet.
    qint64 rowId(int row) const;
    // The row of a stored key, fetching further rows until it is found; -1
    // when it is not among the rows.
    int rowOf(qint64 id);
    // Any field of the table, shown or not, as stored.
    QVariant value(int row, const QString &field) const;
    // Reads one stored row anew (after the core changed it); a row deleted
    // meanwhile keeps what it showed.
    void refreshRow(int row);

    // Writes one value: text is checked against the field's kind and size,
    // empty text is stored as NULL. Dates and date-times are taken as stored
    // or in the computer's short date and long time formats. A new row is
    // inserted with it.
    void setValue(int row, const QString &field, const QVariant &value);
    // New rows at row, held until a value is typed into one of them.
    void insertNewRows(int row, int count);
    // Deletes the rows (stored ones in one transaction).
    void removeStoredRows(int row, int count);
    // Drops the new rows nothing was typed into yet.
    void dropNewRows();

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    bool insertRows(int row, int count, const QModelIndex &parent = {}) override;
    bool removeRows(int row, int count, const QModelIndex &parent = {}) override;
    bool canFetchMore(const QModelIndex &parent = {}) const override;
    void fetchMore(const QModelIndex &parent = {}) override;

signals:
    // An edit, insert, delete or fetch asked for by a view failed; the rows
    // show what is stored.
    void failed(const QString &message);

private:
    struct Entry
    {
        qint64 id = 0; // 0: a new row
        QVariantList values; // every field of the table, in its order
    };

    const FieldDefinition &field(const QString &name) const;
    int fieldIndex(const QString &name) const;
    QString selectList() const;
    QString condition(QVariantList &parameters) const;
    const QString &keyName() const;
    std::vector<Entry> readRows(const std::vector<qint64> &ids);
    // The next rows of the key list, read in full.
    std::vector<Entry> takeBatch();
    void fetchBatch();
    Entry newEntry() const;
    // The stored form of an edited value; raises KorventError naming the field.
    QVariant storedValue(const FieldDefinition &field, const QVariant &value) const;
    void insertEntry(int row, int fieldIndex, const QVariant &stored);
    void updateEntry(int row, int fieldIndex, const QVariant &stored);
    void checkRow(int row) const;
    // Runs a core call for a view: errors become failed() and false.
    bool reported(const std::function<void()> &call);

    Connection &m_connection;
    TableDefinition m_table;
    std::vector<int> m_shown; // field indexes of the columns
    int m_keyIndex = -1;
    QString m_filterField;
    QVariant m_filterValue;
    QString m_masterField;
    QVariant m_masterValue;
    QVariantMap m_newRowValues;
    QHash<int, QString> m_titles; // by field index
    QStringList m_order;
    std::optional<std::vector<qint64>> m_keys;
    std::function<QString(const QString &, const QVariant &)> m_displayText;
    std::function<void(Connection &, const QVariantList &)> m_beforeDelete;

    std::vector<Entry> m_rows;
    std::deque<qint64> m_unfetched;
};

} // namespace db
