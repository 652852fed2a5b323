#pragma once

// "Data editor": a free SQL console on the event database. Statements run
// on a connection of their own off this thread, so the window and the
// readout go on while a long query runs; a running statement can be stopped.
// The result is shown in a grid, editable in place when it is one table's
// rows with their key and "Live results" is ticked; a timed log keeps what
// was run. The editor text is kept in the event's sqlhistory.sql.

#include "store/EventLocation.h"
#include "db/SqlScript.h"

#include <QDialog>
#include <memory>

class QAbstractItemModel;
class QCheckBox;
class QMenu;
class QModelIndex;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;
class QTabWidget;
class QTableView;
class QToolButton;
class QVBoxLayout;
class SqlRunner;
class TDBNavigator;
class TdmData;
class TfrmFieldSelection;
struct SqlRunResult;
namespace db {
class EditableTableModel;
}

class TfDataEditor : public QDialog
{
    Q_OBJECT

public:
    TfDataEditor(const EventLocation &location, TdmData &data, QWidget *parent = nullptr);
    ~TfDataEditor() override;

    // True from Run until the outcome is shown.
    bool isRunning() const { return m_running; }

    void done(int result) override;

signals:
    // The outcome of a run is shown (in the grid or the log).
    void runShown();

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QMenu *createDataBasesMenu();
    void insertCaption(const QString &caption);
    void log(const QString &text);
    // Runs a command; a file or printer error is shown to the operator.
    void runCommand(const std::function<void()> &command);

    void btnExecuteClick();
    // "Are you sure you want to change data?"; true for Yes.
    bool changeConfirmed();
    void startRun(db::SqlAccess access);
    void btnStopClick();
    void runFinished(const SqlRunResult &result);
    void showResult(const db::SqlOutcome &outcome);
    void clearResult();
    // Puts the caret on the line and column of the text that ran (from 1).
    void placeCaret(int line, int column);
    // The rows as the grid shows them now (edits of a live result included).
    db::SqlOutcome shownRows();

    void bbtnLoadClick();
    void bbtnSaveClick();
    // The chosen file, unless it is one of the event's own files (KorventError).
    QString eventFileRefused(const QString &target) const;
    // The user's folder of the program's files, where queries are saved; made when missing.
    QString queriesFolder() const;
    void saveTextFileClick();
    void saveXmlFileClick();
    void saveToExcelClick();
    void btnPrinterClick();
    void DBGridDblClick(const QModelIndex &index);

    EventLocation m_location;
    TdmData &m_data;
    std::unique_ptr<SqlRunner> m_runner;
    TfrmFieldSelection *m_fieldSelection;

    QPlainTextEdit *mSQLEditor;
    QMenu *pmDataBases;
    QPushButton *btnExecute;
    QPushButton *btnStop;
    QPushButton *bbtnLoad;
    QPushButton *bbtnSave;
    QTabWidget *pcSQL;
    QWidget *tsData;
    QWidget *tsLog;
    QTableView *DBGrid;
    QVBoxLayout *m_dataLayout;
    TDBNavigator *DBNavigator = nullptr;
    QCheckBox *cbRequestLive;
    QCheckBox *cbWarning;
    QPushButton *btnPrinter;
    QToolButton *btnSaveToFile;
    QMenu *pmSaveTo;
    QStatusBar *StatusBar;
    QPlainTextEdit *mLog;

    bool m_running = false;
    bool m_runLive = false;
    QString m_runText;
    QVariantList m_runValues;
    int m_runStart = 0; // where the text that ran begins in the editor
    std::vector<db::SqlColumn> m_columns;
    QAbstractItemModel *m_model = nullptr; // the grid's, owned by this window
    db::EditableTableModel *m_liveModel = nullptr;
    QStringList m_liveFields;
};
