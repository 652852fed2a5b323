#pragma once

// The navigator under a table grid: move, insert, delete, edit, post, cancel
// and refresh. Changes are held in the model until posted.

#include <QWidget>
#include <functional>

class QSqlTableModel;
class QTableView;

class TDBNavigator : public QWidget
{
    Q_OBJECT

public:
    TDBNavigator(QTableView *view, QSqlTableModel *model, QWidget *parent = nullptr);

    void first();
    void prior();
    void next();
    void last();
    void insert();
    void remove();
    void edit();
    // Writes the pending changes; false (after telling the operator) when the database refused them.
    bool post();
    void cancel();
    void refresh();

private:
    void moveTo(int row);
    void addButton(const QString &name, const QString &caption, const QString &hint, const std::function<void()> &action);

    QTableView *m_view;
    QSqlTableModel *m_model;
};
