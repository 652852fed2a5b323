#pragma once

// The navigator under a table grid: move, insert, delete, edit, post, cancel
// and refresh. Every edit is written by the grid's model as it is made; the
// navigator shows the operator in a message box what the model could not write.

#include <QWidget>
#include <functional>

class QTableView;
namespace db {
class EditableTableModel;
}

class TDBNavigator : public QWidget
{
    Q_OBJECT

public:
    TDBNavigator(QTableView *view, db::EditableTableModel *model, QWidget *parent = nullptr);

    void first();
    void prior();
    void next();
    void last();
    // A new row below the current one, held until a value is typed into it.
    void insert();
    void remove();
    void edit();
    // Writes the cell being edited; false (after telling the operator) when it was refused.
    bool post();
    // Leaves the cell being edited unwritten and drops new rows nothing was typed into.
    void cancel();
    void refresh();
    // What the delete button asks about a row, instead of "Delete record?".
    void setDeleteQuestion(std::function<QString(int row)> question) { m_deleteQuestion = std::move(question); }

private:
    void moveTo(int row);
    // The open cell editor of the grid, if any.
    QWidget *openEditor() const;
    void addButton(const QString &name, const QString &caption, const QString &hint, const std::function<void()> &action);

    QTableView *m_view;
    db::EditableTableModel *m_model;
    bool m_refused = false;
    std::function<QString(int row)> m_deleteQuestion;
};
