#pragma once

// Hand corrections of one team's punches and status, found by team number,
// with the edit log shown newest first and, on the page "Why", why the team
// found has its result. Created once; shown modally.

#include <QDialog>
#include <QHash>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class TextPage;
class QPushButton;
class QTabWidget;
class SharedEventSetup;
class TdmData;
struct Correction;
struct CorrectionOutcome;
struct TeamRow;

class TfEditControls : public QDialog
{
    Q_OBJECT

public:
    TfEditControls(const QString &eventDirectory, TdmData &data, SharedEventSetup &setup, QWidget *parent = nullptr);

    void btnFindClick();
    void btnEnterClick();
    // The log as shown, newest line first.
    QStringList logLines() const;

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *createPages();
    void showTeam(const TeamRow &team);
    void showWhy();
    void setPagesEnabled(bool enabled);
    QWidget *firstListOfPage(int page) const;
    // The correction the active page asks for.
    Correction chosenCorrection() const;
    void setLogLines(const QStringList &lines);
    void insertLogLine(const QString &line);
    void showLoggedLine(const CorrectionOutcome &outcome);
    void saveLog();
    void showError(const QString &message);

    QString m_eventDirectory;
    TdmData &m_data;
    SharedEventSetup &m_setup;
    std::optional<qint64> m_teamId; // the team the pages work on
    QStringList m_shownLog;         // the log file's lines as the memo last took them

    QLineEdit *eTeamNR;
    QPushButton *btnFind;
    QLabel *lTeamName;
    QLabel *lTeamClass;
    QLabel *lTeamStatus;
    QLabel *lSharedNumber; // the other teams of the number, when it is shared
    QCheckBox *cbCalcTeamResult;
    QTabWidget *pcTeamStatus;
    QComboBox *cbFromCtrl;
    QComboBox *cbMissingControl;
    QComboBox *cbRemoveControl;
    QComboBox *cbControlNr;
    QComboBox *cbNewStatus;
    QComboBox *cbNewTeamStatus;
    QPushButton *btnEnter;
    QTabWidget *pcLog;
    QPlainTextEdit *mLogi;
    TextPage *mWhy;
    // Where Enter in a list moves the focus.
    QHash<QObject *, QWidget *> m_nextOnEnter;
};
