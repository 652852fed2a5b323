#pragma once

// The rows a statement returned, for a grid that only shows them.

#include "db/SqlScript.h"

#include <QAbstractTableModel>

class SqlResultModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit SqlResultModel(db::SqlOutcome outcome, QObject *parent = nullptr);

    const db::SqlOutcome &outcome() const { return m_outcome; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    db::SqlOutcome m_outcome;
};
