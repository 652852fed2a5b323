#pragma once

// The server log: newest line on top, at most MaxLines (the oldest go).

#include <QAbstractListModel>
#include <QStringList>

class ServerLogModel : public QAbstractListModel
{
    Q_OBJECT

public:
    static constexpr int MaxLines = 10'000;

    using QAbstractListModel::QAbstractListModel;

    void addLine(const QString &line);
    const QStringList &lines() const { return m_lines; }

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;

private:
    QStringList m_lines;
};
