#include "store/CountryList.h"

#include "base/TextFile.h"

#include <QDir>
#include <QFileInfo>

namespace {
const QString countryListName = QStringLiteral("countrys.txt");
}

QString CountryListFileName(const ProgramFiles &program)
{
    return program.file(countryListName);
}

QString OwnCountryListFileName(const ProgramFiles &program)
{
    return program.userFile(countryListName);
}

CountryList LoadCountryList(const QString &fileName)
{
    CountryList countries;
    for (const QString &line : ReadTextLines(fileName).value_or(QStringList())) {
        if (line.trimmed().isEmpty())
            continue;
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0)
            countries.emplace_back(line, QString());
        else
            countries.emplace_back(line.left(equals), line.mid(equals + 1));
    }
    return countries;
}

void SaveCountryList(const QString &fileName, const CountryList &countries)
{
    // The user's folder may not exist yet on a fresh installation.
    QDir().mkpath(QFileInfo(fileName).absolutePath());
    QStringList lines;
    for (const Country &country : countries)
        lines.append(country.first + u'=' + country.second);
    WriteTextLines(fileName, lines);
}

CountryListModel::CountryListModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

void CountryListModel::setCountries(const CountryList &countries)
{
    beginResetModel();
    m_countries = countries;
    endResetModel();
}

int CountryListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_countries.size());
}

int CountryListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant CountryListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    const Country &country = m_countries.at(static_cast<size_t>(index.row()));
    return index.column() == 0 ? country.first : country.second;
}

QVariant CountryListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return section == 0 ? tr("Ctry") : tr("Country");
}

Qt::ItemFlags CountryListModel::flags(const QModelIndex &index) const
{
    return QAbstractTableModel::flags(index) | Qt::ItemIsEditable;
}

bool CountryListModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    Country &country = m_countries.at(static_cast<size_t>(index.row()));
    const QString text = value.toString();
    if (index.column() == 0) {
        for (size_t row = 0; row < m_countries.size(); ++row) {
            if (static_cast<int>(row) != index.row() && m_countries[row].first == text) {
                emit rejectedCode(tr("Duplicate key '%1'").arg(text));
                return false;
            }
        }
        country.first = text;
    } else {
        country.second = text;
    }
    emit dataChanged(index, index);
    return true;
}

bool CountryListModel::insertRows(int row, int count, const QModelIndex &parent)
{
    if (parent.isValid() || row < 0 || row > rowCount() || count < 1)
        return false;
    beginInsertRows(parent, row, row + count - 1);
    m_countries.insert(m_countries.begin() + row, static_cast<size_t>(count), Country());
    endInsertRows();
    return true;
}

bool CountryListModel::removeRows(int row, int count, const QModelIndex &parent)
{
    if (parent.isValid() || row < 0 || count < 1 || row + count > rowCount())
        return false;
    beginRemoveRows(parent, row, row + count - 1);
    m_countries.erase(m_countries.begin() + row, m_countries.begin() + row + count);
    endRemoveRows();
    return true;
}
