#pragma once

// A team's punches with the runner who punched each, read-only, and printed
// for the team at the counter; on the page "Why", why the team has its
// result. Created once; shown modally.

#include <QDialog>
#include <QStringList>
#include <vector>

class QAction;
class QLabel;
class TextPage;
class QStandardItemModel;
class QTabWidget;
class QTableView;
class SharedEventSetup;
class TdmData;

class TfTeamControls : public QDialog
{
    Q_OBJECT

public:
    TfTeamControls(const QString &eventDirectory, TdmData &data, SharedEventSetup &setup, QWidget *parent = nullptr);

    // The team shown at the next showing.
    void showTeam(qint64 teamId, const QString &name);
    const std::vector<QStringList> &rows() const { return m_rows; }

    // "&Print": the rows on the default printer.
    void Print1Click();

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;

private:
    QString m_eventDirectory;
    TdmData &m_data;
    SharedEventSetup &m_setup;
    qint64 m_teamId = 0;
    std::vector<QStringList> m_rows;
    QStandardItemModel *m_model;
    QLabel *lTeamName;
    QTabWidget *pcControls;
    QTableView *dbgControlTimes;
    TextPage *mWhy;
    QAction *Print1;
};
