#pragma once

// The teams window: the entries of the event. The team grid above, the
// runners of the current team below it, the team's result and note on pages
// beside them; every edit is written to the event database as it is made.
// Created once; shown modally.

#include "base/ui/LongWork.h"
#include "entries/TeamSearch.h"
#include "store/EventLocation.h"

#include <QDialog>
#include <QHash>
#include <functional>
#include <initializer_list>
#include <utility>

class PickListDelegate;
class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenuBar;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTableView;
class QToolButton;
class SharedEventSetup;
class TDBNavigator;
class TdmData;
class TfNumberTeams;
class TfTeamControls;
class TfViewControls;
namespace db { class EditableTableModel; }

class TfTeams : public QDialog
{
    Q_OBJECT

public:
    TfTeams(const EventLocation &location, TdmData &data, SharedEventSetup &setup, QWidget *parent = nullptr);

    db::EditableTableModel *teamModel() const { return m_teams; }
    db::EditableTableModel *runnerModel() const { return m_runners; }
    // The team the window shows; 0 for none or a new row not stored yet.
    qint64 currentTeamId() const { return m_shownTeamId; }
    const RunnerSearch &runnerSearch() const { return m_runnerSearch; }

    void sbtnFindClick();
    void btnFindRunnerClick();
    void btnCalcTeamClick();
    void Controls1Click();
    void RunnerControls1Click();
    void Results1Click();
    void Import1Click();
    void Importchips1Click();
    void NumberTeams1Click();
    void CheckData1Click();

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createMenus(QMenuBar *menuBar);
    QWidget *createToolPanel();
    QWidget *createRunnersPage();
    QWidget *createResultsPage();
    QWidget *createNotesPage();
    QTableView *createGrid(const QString &name, db::EditableTableModel *model);
    static void setColumnWidths(QTableView *view, std::initializer_list<std::pair<const char *, int>> widths, const QString &stretched);
    // The field list items of a grid's columns: title|field.
    static QStringList fieldItems(const db::EditableTableModel *model);

    // Reads the teams anew and makes the team (or the first) current.
    void selectTeams(qint64 teamId);
    // Drops the filter and reads every team anew, the shown team kept current.
    void showAllTeams();
    void moveToTeam(qint64 teamId);
    int currentTeamRow() const;
    // Shows the runners, result and note of the team in this row (-1: none).
    void showTeam(int row, bool force = false);
    void showResults(int row);
    void saveNote();
    // Writes open cell editors and the note; false when an edit was refused.
    bool storeEdits();
    void fillPickLists();
    // Runs a command; an error it raises is shown to the operator.
    void runCommand(const std::function<void()> &command);
    // An import off the window thread; all-or-nothing, so it may be cancelled.
    LongWork longWork(const QString &caption);

    EventLocation m_location;
    TdmData &m_data;
    SharedEventSetup &m_setup;
    db::EditableTableModel *m_teams;
    db::EditableTableModel *m_runners;
    RunnerSearch m_runnerSearch;
    qint64 m_shownTeamId = -1;
    TfTeamControls *m_teamControls;
    TfViewControls *m_viewControls;
    TfNumberTeams *m_numberTeams;

    QMenuBar *mmTeams;
    QAction *Import1;
    QAction *Importchips1;
    QAction *NumberTeams1;
    QAction *CheckData1;
    QAction *Controls1;
    QAction *RunnerControls1;
    QAction *Results1;
    TDBNavigator *DBNavigator1;
    QComboBox *cbFindField;
    QLineEdit *eFind;
    QToolButton *sbtnFind;
    QTableView *dbgTeams;
    QTabWidget *pcTeams;
    TDBNavigator *DBNavigator2;
    QComboBox *cbFindRunner;
    QLineEdit *eFindRunner;
    QPushButton *btnFindRunner;
    QTableView *dbgRunners;
    QPushButton *btnCalcTeam;
    QPlainTextEdit *teamNote;
    QHash<QString, QLineEdit *> m_resultFields; // by team field
    PickListDelegate *m_countries;
    PickListDelegate *m_classes;
    PickListDelegate *m_extraClasses;
};
