#include "db/EditableTableModel.h"

#include "base/BirthDate.h"
#include "base/KorventError.h"
#include "base/Platform.h"
#include "db/Connection.h"
#include "db/PortableSql.h"
#include "db/StoredValue.h"
#include "db/TextMatch.h"

#include <QDate>
#include <QDateTime>
#include <QSqlQuery>
#include <limits>
#include <unordered_map>
#include <unordered_set>

namespace db {

namespace {

// Rows read per fetch: a screenful or two, and few enough that a grid of
// thousands of rows opens at once.
constexpr int batchSize = 256;

bool isNumber(FieldKind kind)
{
    return kind == FieldKind::AutoIncrement || kind == FieldKind::Integer || kind == FieldKind::LargeInt;
}

bool sameStored(const QVariant &a, const QVariant &b)
{
    return a.isNull() == b.isNull() && (a.isNull() || a.toString() == b.toString());
}

QString marks(qsizetype count)
{
    QStringList list;
    list.fill(QStringLiteral("?"), count);
    return list.join(u',');
}

} // namespace

EditableTableModel::EditableTableModel(Connection &connection, TableDefinition table, const QStringList &fields, QObject *parent)
    : QAbstractTableModel(parent)
    , m_connection(connection)
    , m_table(std::move(table))
{
    for (int i = 0; i < static_cast<int>(m_table.fields.size()); ++i)
        if (m_table.fields[static_cast<size_t>(i)].kind == FieldKind::AutoIncrement)
            m_keyIndex = i;
    if (m_keyIndex < 0)
        throw KorventError(tr("Table \"%1\" has no key to edit its rows by").arg(m_table.name));
    if (fields.isEmpty()) {
        for (int i = 0; i < static_cast<int>(m_table.fields.size()); ++i)
            if (i != m_keyIndex)
                m_shown.push_back(i);
    } else {
        for (const QString &name : fields)
            m_shown.push_back(fieldIndex(name));
    }
}

const QString &EditableTableModel::keyName() const
{
    return m_table.fields[static_cast<size_t>(m_keyIndex)].name;
}

int EditableTableModel::fieldIndex(const QString &name) const
{
    for (int i = 0; i < static_cast<int>(m_table.fields.size()); ++i)
        if (m_table.fields[static_cast<size_t>(i)].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    throw KorventError(tr("There is no field \"%1\" in table \"%2\"").arg(name, m_table.name));
}

const FieldDefinition &EditableTableModel::field(const QString &name) const
{
    return m_table.fields[static_cast<size_t>(fieldIndex(name))];
}

int EditableTableModel::columnOf(const QString &name) const
{
    for (int c = 0; c < static_cast<int>(m_shown.size()); ++c)
        if (m_table.fields[static_cast<size_t>(m_shown[static_cast<size_t>(c)])].name.compare(name, Qt::CaseInsensitive) == 0)
            return c;
    return -1;
}

void EditableTableModel::setFilter(const QString &fieldName, const QVariant &value)
{
    m_filterField = fieldName.isEmpty() ? QString() : field(fieldName).name;
    m_filterValue = value;
}

void EditableTableModel::setMaster(const QString &fieldName, const QVariant &value)
{
    m_masterField = field(fieldName).name;
    m_masterValue = value;
}

void EditableTableModel::setNewRowValues(const QVariantMap &values)
{
    QVariantMap named;
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        named.insert(field(it.key()).name, it.value());
    m_newRowValues = named;
}

void EditableTableModel::setColumnTitle(const QString &fieldName, const QString &title)
{
    m_titles.insert(fieldIndex(fieldName), title);
}

void EditableTableModel::setOrder(const QStringList &fields)
{
    QStringList names;
    for (const QString &name : fields)
        names.append(field(name).name);
    m_order = names;
}

void EditableTableModel::setKeys(const std::vector<qint64> &keys)
{
    std::vector<qint64> distinct;
    std::unordered_set<qint64> seen;
    for (const qint64 key : keys)
        if (seen.insert(key).second)
            distinct.push_back(key);
    m_keys = std::move(distinct);
}

void EditableTableModel::setDisplayText(std::function<QString(const QString &, const QVariant &)> displayText)
{
    m_displayText = std::move(displayText);
}

void EditableTableModel::setBeforeDelete(std::function<void(Connection &, const QVariantList &)> beforeDelete)
{
    m_beforeDelete = std::move(beforeDelete);
}

QString EditableTableModel::selectList() const
{
    QStringList names;
    for (const FieldDefinition &f : m_table.fields)
        names.append(quoteIdentifier(f.name));
    return names.join(u',');
}

QString EditableTableModel::condition(QVariantList &parameters) const
{
    QStringList terms;
    if (!m_filterField.isEmpty()) {
        const FieldKind kind = field(m_filterField).kind;
        if (kind == FieldKind::Text || kind == FieldKind::Memo) {
            const TextCondition match = CaseInsensitiveMatch(m_connection.engine(), quoteIdentifier(m_filterField), m_filterValue.toString(), false);
            terms.append(match.sql);
            parameters.append(match.pattern);
        } else {
            terms.append(quoteIdentifier(m_filterField) + QStringLiteral("=?"));
            parameters.append(m_filterValue);
        }
    }
    if (!m_masterField.isEmpty()) {
        terms.append(quoteIdentifier(m_masterField) + QStringLiteral("=?"));
        parameters.append(m_masterValue);
    }
    return terms.isEmpty() ? QString() : QStringLiteral(" WHERE ") + terms.join(QStringLiteral(" AND "));
}

void EditableTableModel::select()
{
    beginResetModel();
    m_rows.clear();
    m_unfetched.clear();
    try {
        if (m_keys) {
            m_unfetched.assign(m_keys->begin(), m_keys->end());
        } else if (m_masterField.isEmpty() || !m_masterValue.isNull()) {
            // Without a master row there are no detail rows.
            QVariantList parameters;
            QStringList order;
            for (const QString &name : m_order)
                order.append(NullsFirst(m_connection.engine(), quoteIdentifier(name)));
            order.append(quoteIdentifier(keyName()));
            QSqlQuery keys = m_connection.exec(QStringLiteral("SELECT %1 FROM %2").arg(quoteIdentifier(keyName()), quoteIdentifier(m_table.name))
                                                   + condition(parameters) + QStringLiteral(" ORDER BY ") + order.join(u','),
                                               parameters);
            while (keys.next())
                m_unfetched.push_back(keys.value(0).toLongLong());
        }
        m_rows = takeBatch();
    } catch (...) {
        m_unfetched.clear();
        endResetModel();
        throw;
    }
    endResetModel();
}

std::vector<EditableTableModel::Entry> EditableTableModel::readRows(const std::vector<qint64> &ids)
{
    if (ids.empty())
        return {};
    QVariantList parameters;
    for (qint64 id : ids)
        parameters.append(id);
    const QString key = quoteIdentifier(keyName());
    QSqlQuery query = m_connection.exec(QStringLiteral("SELECT %1 FROM %2 WHERE %3 IN (%4)")
                                            .arg(selectList(), quoteIdentifier(m_table.name), key, marks(parameters.size())),
                                        parameters);
    std::unordered_map<qint64, Entry> found;
    while (query.next()) {
        Entry entry;
        for (int i = 0; i < static_cast<int>(m_table.fields.size()); ++i)
            entry.values.append(query.value(i));
        entry.id = entry.values.at(m_keyIndex).toLongLong();
        found.emplace(entry.id, std::move(entry));
    }
    // In the order asked for; rows deleted meanwhile are left out.
    std::vector<Entry> rows;
    for (qint64 id : ids)
        if (auto it = found.find(id); it != found.end())
            rows.push_back(std::move(it->second));
    return rows;
}

EditableTableModel::Entry EditableTableModel::newEntry() const
{
    Entry entry;
    for (const FieldDefinition &f : m_table.fields)
        entry.values.append(f.defaultValue.isValid() ? f.defaultValue : QVariant());
    for (auto it = m_newRowValues.cbegin(); it != m_newRowValues.cend(); ++it)
        entry.values[fieldIndex(it.key())] = it.value();
    if (!m_masterField.isEmpty())
        entry.values[fieldIndex(m_masterField)] = m_masterValue;
    return entry;
}

qint64 EditableTableModel::rowId(int row) const
{
    checkRow(row);
    return m_rows[static_cast<size_t>(row)].id;
}

int EditableTableModel::rowOf(qint64 id)
{
    if (id == 0)
        return -1;
    for (size_t row = 0;; ++row) {
        if (row == m_rows.size()) {
            if (m_unfetched.empty())
                return -1;
            fetchBatch();
        }
        if (row < m_rows.size() && m_rows[row].id == id)
            return static_cast<int>(row);
    }
}

QVariant EditableTableModel::value(int row, const QString &fieldName) const
{
    checkRow(row);
    return m_rows[static_cast<size_t>(row)].values.at(fieldIndex(fieldName));
}

void EditableTableModel::refreshRow(int row)
{
    checkRow(row);
    const qint64 id = m_rows[static_cast<size_t>(row)].id;
    if (id == 0)
        return;
    std::vector<Entry> reread = readRows({id});
    if (reread.empty())
        return;
    m_rows[static_cast<size_t>(row)] = std::move(reread.front());
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void EditableTableModel::checkRow(int row) const
{
    if (row < 0 || row >= static_cast<int>(m_rows.size()))
        throw KorventError(tr("There is no row %1 in the grid of table \"%2\"").arg(row + 1).arg(m_table.name));
}

QVariant EditableTableModel::storedValue(const FieldDefinition &f, const QVariant &value) const
{
    const QVariant null = NullText();
    if (!value.isValid() || value.isNull())
        return null;
    const QString text = value.toString();
    const auto refuse = [&](const QString &why) -> QVariant {
        throw KorventError(tr("%1: \"%2\" %3").arg(f.title(), text, why));
    };
    const bool isText = value.typeId() == QMetaType::QString;
    if (isText && text.isEmpty())
        return null;
    switch (f.kind) {
    case FieldKind::AutoIncrement:
    case FieldKind::Integer:
    case FieldKind::LargeInt: {
        if (value.typeId() == QMetaType::Bool || value.typeId() == QMetaType::Double)
            return refuse(tr("is not a whole number"));
        if (isText && text.trimmed().isEmpty())
            return null;
        bool ok = false;
        const qint64 number = isText ? text.trimmed().toLongLong(&ok) : value.toLongLong(&ok);
        if (!ok)
            return refuse(tr("is not a whole number"));
        if (f.maximum > f.minimum) {
            if (number < f.minimum || number > f.maximum)
                return refuse(tr("is outside %1 to %2").arg(f.minimum).arg(f.maximum));
        } else if (f.kind == FieldKind::Integer
                   && (number < std::numeric_limits<qint32>::min() || number > std::numeric_limits<qint32>::max())) {
            return refuse(tr("is outside %1 to %2").arg(std::numeric_limits<qint32>::min()).arg(std::numeric_limits<qint32>::max()));
        }
        return number;
    }
    case FieldKind::Boolean:
        if (!isText)
            return value.toBool() ? 1 : 0;
        if (text == QLatin1String("1") || text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
            return 1;
        if (text == QLatin1String("0") || text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
            return 0;
        return refuse(tr("is not 0 or 1"));
    case FieldKind::Text:
        if (f.size > 0 && text.size() > f.size)
            return refuse(tr("is longer than %1 characters").arg(f.size));
        return text;
    case FieldKind::Memo:
        return text;
    case FieldKind::Date: {
        // The event tables' one date column is a runner's birth date.
        const BirthDateReading born = readBirthDate(value.typeId() == QMetaType::QDate ? value.toDate().toString(Qt::ISODate) : text);
        if (!born.date.isValid())
            return refuse(born.refusal);
        return born.date.toString(Qt::ISODate);
    }
    case FieldKind::DateTime: {
        QDateTime dateTime = value.typeId() == QMetaType::QDateTime ? value.toDateTime() : ReadStoredDateTime(text).value_or(QDateTime());
        if (!dateTime.isValid())
            dateTime = Platform::readDateTime(text).value_or(QDateTime());
        if (!dateTime.isValid())
            return refuse(tr("is not a date and time of the form %1 or YYYY-MM-DD HH:MM:SS")
                              .arg(Platform::shortDateFormat() + u' ' + Platform::longTimeFormat()));
        return StoredDateTimeText(dateTime);
    }
    }
    return text;
}

void EditableTableModel::setValue(int row, const QString &fieldName, const QVariant &value)
{
    checkRow(row);
    const int fieldAt = fieldIndex(fieldName);
    if (fieldAt == m_keyIndex)
        throw KorventError(tr("The key of table \"%1\" is given by the database").arg(m_table.name));
    const QVariant stored = storedValue(m_table.fields[static_cast<size_t>(fieldAt)], value);
    const Entry &entry = m_rows[static_cast<size_t>(row)];
    if (entry.id == 0) {
        // An empty cell of a new row is not worth a row of its own.
        if (!stored.isNull())
            insertEntry(row, fieldAt, stored);
    } else if (!sameStored(entry.values.at(fieldAt), stored)) {
        updateEntry(row, fieldAt, stored);
    }
}

void EditableTableModel::insertEntry(int row, int fieldAt, const QVariant &stored)
{
    QStringList names;
    QVariantList parameters;
    if (!m_masterField.isEmpty() && fieldIndex(m_masterField) != fieldAt) {
        names.append(quoteIdentifier(m_masterField));
        parameters.append(m_masterValue);
    }
    for (auto it = m_newRowValues.cbegin(); it != m_newRowValues.cend(); ++it) {
        const int at = fieldIndex(it.key());
        if (at == fieldAt || (!m_masterField.isEmpty() && at == fieldIndex(m_masterField)))
            continue;
        names.append(quoteIdentifier(it.key()));
        parameters.append(storedValue(m_table.fields[static_cast<size_t>(at)], it.value()));
    }
    names.append(quoteIdentifier(m_table.fields[static_cast<size_t>(fieldAt)].name));
    parameters.append(stored);
    qint64 id = 0;
    {
        Transaction transaction(m_connection);
        id = m_connection.insert(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                     .arg(quoteIdentifier(m_table.name), names.join(u','), marks(parameters.size())),
                                 parameters);
        transaction.commit();
    }
    std::vector<Entry> inserted = readRows({id});
    if (inserted.empty())
        throw KorventError(tr("The new row of table \"%1\" was deleted at once by another program").arg(m_table.name));
    m_rows[static_cast<size_t>(row)] = std::move(inserted.front());
    if (m_keys)
        m_keys->push_back(id);
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    emit headerDataChanged(Qt::Vertical, row, row);
}

void EditableTableModel::updateEntry(int row, int fieldAt, const QVariant &stored)
{
    const qint64 id = m_rows[static_cast<size_t>(row)].id;
    {
        Transaction transaction(m_connection);
        const QSqlQuery update = m_connection.exec(QStringLiteral("UPDATE %1 SET %2=? WHERE %3=?")
                                                       .arg(quoteIdentifier(m_table.name),
                                                            quoteIdentifier(m_table.fields[static_cast<size_t>(fieldAt)].name),
                                                            quoteIdentifier(keyName())),
                                                   {stored, id});
        if (update.numRowsAffected() == 0)
            throw KorventError(tr("The row of table \"%1\" was deleted by another program; refresh the grid").arg(m_table.name));
        transaction.commit();
    }
    // Only this row is read back: what the database made of the value.
    std::vector<Entry> reread = readRows({id});
    if (!reread.empty())
        m_rows[static_cast<size_t>(row)] = std::move(reread.front());
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void EditableTableModel::insertNewRows(int row, int count)
{
    if (row < 0 || row > rowCount() || count < 1)
        throw KorventError(tr("There is no row %1 in the grid of table \"%2\"").arg(row + 1).arg(m_table.name));
    if (!m_masterField.isEmpty() && m_masterValue.isNull())
        throw KorventError(tr("There is no current row to add rows of table \"%1\" to").arg(m_table.name));
    beginInsertRows({}, row, row + count - 1);
    m_rows.insert(m_rows.begin() + row, static_cast<size_t>(count), newEntry());
    endInsertRows();
}

void EditableTableModel::removeStoredRows(int row, int count)
{
    checkRow(row);
    checkRow(row + count - 1);
    QVariantList ids;
    for (int r = row; r < row + count; ++r)
        if (m_rows[static_cast<size_t>(r)].id != 0)
            ids.append(m_rows[static_cast<size_t>(r)].id);
    if (!ids.isEmpty()) {
        Transaction transaction(m_connection);
        if (m_beforeDelete)
            m_beforeDelete(m_connection, ids);
        m_connection.exec(QStringLiteral("DELETE FROM %1 WHERE %2 IN (%3)")
                              .arg(quoteIdentifier(m_table.name), quoteIdentifier(keyName()),
                                   marks(ids.size())),
                          ids);
        transaction.commit();
    }
    beginRemoveRows({}, row, row + count - 1);
    m_rows.erase(m_rows.begin() + row, m_rows.begin() + row + count);
    endRemoveRows();
}

void EditableTableModel::dropNewRows()
{
    for (int row = rowCount() - 1; row >= 0; --row) {
        if (m_rows[static_cast<size_t>(row)].id != 0)
            continue;
        beginRemoveRows({}, row, row);
        m_rows.erase(m_rows.begin() + row);
        endRemoveRows();
    }
}

int EditableTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int EditableTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_shown.size());
}

QVariant EditableTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return {};
    const FieldDefinition &f = m_table.fields[static_cast<size_t>(m_shown[static_cast<size_t>(index.column())])];
    const QVariant &stored = m_rows[static_cast<size_t>(index.row())].values.at(m_shown[static_cast<size_t>(index.column())]);
    const bool isBoolean = f.kind == FieldKind::Boolean;
    switch (role) {
    case Qt::DisplayRole:
        if (isBoolean)
            return {};
        if (m_displayText)
            return m_displayText(f.name, stored);
        return stored.isNull() ? QString() : stored.toString();
    case Qt::EditRole:
        // Text for every editor, so that a cell can be emptied (NULL).
        if (isBoolean)
            return stored.toInt() != 0;
        if (m_displayText && (f.kind == FieldKind::Date || f.kind == FieldKind::DateTime))
            return m_displayText(f.name, stored);
        return stored.isNull() ? QString() : stored.toString();
    case Qt::CheckStateRole:
        if (isBoolean)
            return stored.toInt() != 0 ? Qt::Checked : Qt::Unchecked;
        return {};
    case Qt::TextAlignmentRole:
        if (isNumber(f.kind))
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    default:
        return {};
    }
}

QVariant EditableTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal) {
        if (section < 0 || section >= columnCount())
            return {};
        const int fieldAt = m_shown[static_cast<size_t>(section)];
        return m_titles.value(fieldAt, m_table.fields[static_cast<size_t>(fieldAt)].title());
    }
    if (section < 0 || section >= rowCount())
        return {};
    // A new row not stored yet is marked as such.
    return m_rows[static_cast<size_t>(section)].id == 0 ? QStringLiteral("*") : QString::number(section + 1);
}

Qt::ItemFlags EditableTableModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    const int fieldIndex = m_shown[static_cast<size_t>(index.column())];
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (fieldIndex == m_keyIndex)
        return flags;
    if (m_table.fields[static_cast<size_t>(fieldIndex)].kind == FieldKind::Boolean)
        return flags | Qt::ItemIsUserCheckable;
    return flags | Qt::ItemIsEditable;
}

bool EditableTableModel::reported(const std::function<void()> &call)
{
    try {
        call();
        return true;
    } catch (const KorventError &error) {
        emit failed(error.message());
        return false;
    }
}

bool EditableTableModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return false;
    const FieldDefinition &f = m_table.fields[static_cast<size_t>(m_shown[static_cast<size_t>(index.column())])];
    QVariant edited = value;
    if (role == Qt::CheckStateRole && f.kind == FieldKind::Boolean)
        edited = value.toInt() == Qt::Checked ? 1 : 0;
    else if (role != Qt::EditRole)
        return false;
    // The editor's text handed back unchanged writes nothing: a shown form
    // without milliseconds or century must not overwrite the stored ones.
    if (role == Qt::EditRole && rowId(index.row()) != 0 && value.typeId() == QMetaType::QString
        && value.toString() == data(index, Qt::EditRole).toString())
        return true;
    return reported([&] { setValue(index.row(), f.name, edited); });
}

bool EditableTableModel::insertRows(int row, int count, const QModelIndex &parent)
{
    if (parent.isValid())
        return false;
    return reported([&] { insertNewRows(row, count); });
}

bool EditableTableModel::removeRows(int row, int count, const QModelIndex &parent)
{
    if (parent.isValid())
        return false;
    return reported([&] { removeStoredRows(row, count); });
}

bool EditableTableModel::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && !m_unfetched.empty();
}

void EditableTableModel::fetchMore(const QModelIndex &parent)
{
    if (parent.isValid())
        return;
    reported([this] { fetchBatch(); });
}

std::vector<EditableTableModel::Entry> EditableTableModel::takeBatch()
{
    const auto end = m_unfetched.begin() + static_cast<qsizetype>(std::min<size_t>(batchSize, m_unfetched.size()));
    std::vector<Entry> rows = readRows(std::vector<qint64>(m_unfetched.begin(), end));
    // Taken off the list only once read, so that a failed read can be tried again.
    m_unfetched.erase(m_unfetched.begin(), end);
    return rows;
}

void EditableTableModel::fetchBatch()
{
    std::vector<Entry> rows = takeBatch();
    if (rows.empty())
        return;
    beginInsertRows({}, rowCount(), rowCount() + static_cast<int>(rows.size()) - 1);
    for (Entry &entry : rows)
        m_rows.push_back(std::move(entry));
    endInsertRows();
}

} // namespace db
