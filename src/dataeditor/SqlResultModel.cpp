#include "dataeditor/SqlResultModel.h"

SqlResultModel::SqlResultModel(db::SqlOutcome outcome, QObject *parent)
    : QAbstractTableModel(parent)
    , m_outcome(std::move(outcome))
{
}

int SqlResultModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_outcome.rows.size());
}

int SqlResultModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_outcome.columns.size());
}

QVariant SqlResultModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return {};
    const QVariant &value = m_outcome.rows[static_cast<size_t>(index.row())].at(index.column());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return db::SqlValueText(value);
    case Qt::TextAlignmentRole:
        if (value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Double)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    default:
        return {};
    }
}

QVariant SqlResultModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section >= 0 && section < rowCount() ? QVariant(QString::number(section + 1)) : QVariant();
    return section >= 0 && section < columnCount() ? QVariant(m_outcome.columns[static_cast<size_t>(section)].name) : QVariant();
}
