#pragma once

// The country list: code=name lines in the program's countrys.txt, edited as
// a two-column table whose codes stay unique.

#include "base/ProgramFiles.h"

#include <QAbstractTableModel>
#include <QString>
#include <utility>
#include <vector>

using Country = std::pair<QString, QString>; // code, name
using CountryList = std::vector<Country>;

// The list read: the user's own when there is one, else the one the program ships.
QString CountryListFileName(const ProgramFiles &program);
// Where a changed list is written: the user's own.
QString OwnCountryListFileName(const ProgramFiles &program);
// A missing file is an empty list; a line without "=" is a code without a name.
// Saving makes the folder when it is missing.
CountryList LoadCountryList(const QString &fileName);
void SaveCountryList(const QString &fileName, const CountryList &countries);

class CountryListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit CountryListModel(QObject *parent = nullptr);

    const CountryList &countries() const { return m_countries; }
    void setCountries(const CountryList &countries);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // A code that another row already has is refused (and rejectedCode is emitted).
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    bool insertRows(int row, int count, const QModelIndex &parent = {}) override;
    bool removeRows(int row, int count, const QModelIndex &parent = {}) override;

signals:
    void rejectedCode(const QString &message);

private:
    CountryList m_countries;
};
