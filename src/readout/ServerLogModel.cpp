#include "readout/ServerLogModel.h"

void ServerLogModel::addLine(const QString &line)
{
    if (m_lines.size() >= MaxLines) {
        beginRemoveRows({}, MaxLines - 1, static_cast<int>(m_lines.size()) - 1);
        m_lines.erase(m_lines.begin() + (MaxLines - 1), m_lines.end());
        endRemoveRows();
    }
    beginInsertRows({}, 0, 0);
    m_lines.prepend(line);
    endInsertRows();
}

int ServerLogModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_lines.size());
}

QVariant ServerLogModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || role != Qt::DisplayRole)
        return {};
    // A received line keeps its CR LF in the text; the list shows it on one row.
    return QString(m_lines.at(index.row())).replace(QLatin1String("\r\n"), QLatin1String(" "));
}
