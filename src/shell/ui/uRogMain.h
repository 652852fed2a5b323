#pragma once

// The main window: the event's workspace, its command menu and tool bar.

#include "registry/ReportRegistry.h"
#include "store/EventLocation.h"

#include <QHash>
#include <QMainWindow>
#include <functional>

enum class StartedRunners;
class QAction;
class QLabel;
class QMdiArea;
class QMenu;
class SharedEventSetup;
class TAlarmLabel;
class TdmData;
class TfDataEditor;
class TfEditControls;
class TfEventInfo;
class TfServerMain;
class TfTeams;
class TfSelectReport;
class TfwbReport;

class TfRogMain : public QMainWindow
{
    Q_OBJECT

public:
    TfRogMain(const EventLocation &location, TdmData &data, SharedEventSetup &setup, QWidget *parent = nullptr);

    const EventLocation &location() const { return m_location; }
    // Opens the page in the report viewer and brings it to the front.
    void ShowReport(const QString &fileName);
    // The command by its action name (for example "actCalculate").
    QAction *command(const QString &name) const;

protected:
    // While the readout server runs, closing asks first: the clients lose their connection.
    void closeEvent(QCloseEvent *event) override;

private:
    struct CommandEntry;
    void createCommands();
    void createToolBar();
    void createStatusBar();
    void applyEventState();
    // The red status-bar message: the event's files replaced under this
    // window, or stations refused by the server; gone once all works again.
    void refreshStoreAlarm();
    // Runs a command; an error it raises is shown to the operator.
    void runCommand(const std::function<void()> &command);
    void eventSetupClick();
    void teamsClick();
    void loadStartedClick();
    void markReadOutStartedClick();
    void markAllStartedClick();
    void markRunnersStarted(StartedRunners which);
    void editControlsClick();
    void calculateClick();
    void dbEditorClick();
    void reportsClick();
    // Runs a report or export of the registry; its errors go to the caller.
    // Returns where the page to show was written; nullopt when none was.
    // `written` gets the paths of every file the run wrote.
    std::optional<QString> runReport(ReportKind kind, const ReportRequest &request, QStringList *written = nullptr);
    // Asks for the file to write ("Save to file", starting in the event folder) and writes it.
    void exportToChosenFile(ReportKind kind, const QString &filter, const QString &extension);
    void exportParticipantsClick();
    void exportCardexClick();
    void exportTeamInfoClick();
    void exportTeamsRunnersClick();
    void exportTrailplotClick();
    void exportIofXmlClick();
    void aboutClick();

    EventLocation m_location;
    TdmData &m_data;
    SharedEventSetup &m_setup;
    TfEventInfo *m_eventInfo;
    TfTeams *m_teams;
    TfServerMain *m_serverMain = nullptr;
    TfEditControls *m_editControls;
    TfDataEditor *m_dataEditor;
    TfSelectReport *m_selectReport;
    TfwbReport *m_reportViewer;
    QMdiArea *m_mdiArea;
    QMenu *m_toolsMenu = nullptr;
    QHash<QString, QAction *> m_commands;
    QLabel *m_statusPanels[3] = {};
    TAlarmLabel *m_storeAlarm = nullptr;
};
