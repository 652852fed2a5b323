#pragma once

// A team's punches with the runner who punched each, read-only, and printed
// for the team at the counter. Created once; shown modally.

#include <QDialog>
#include <QStringList>
#include <vector>

class QAction;
class QLabel;
class QStandardItemModel;
class QTableView;
class TdmData;

class TfTeamControls : public QDialog
{
    Q_OBJECT

public:
    explicit TfTeamControls(TdmData &data, QWidget *parent = nullptr);

    // The team shown at the next showing.
    void showTeam(qint64 teamId, const QString &name);
    const std::vector<QStringList> &rows() const { return m_rows; }

    // "&Print": the rows on the default printer.
    void Print1Click();

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;

private:
    TdmData &m_data;
    qint64 m_teamId = 0;
    std::vector<QStringList> m_rows;
    QStandardItemModel *m_model;
    QLabel *lTeamName;
    QTableView *dbgControlTimes;
    QAction *Print1;
};
