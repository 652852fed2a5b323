#include "shell/ui/uRogMain.h"

#include "shell/ui/AppIcon.h"
#include "base/ui/DoneMessage.h"
#include "base/ui/AlarmLabel.h"
#include "base/ui/MessageBoxSink.h"
#include "base/ui/LongWork.h"
#include "shell/ui/uAbout.h"
#include "dataeditor/ui/uDataEditor.h"

#include "scoring/TeamCalculation.h"
#include "scoring/ui/uEditControls.h"

#include "base/ui/TextFileDialog.h"

#include "entries/EntryImport.h"
#include "entries/StartedMarking.h"
#include "entries/ui/uTeams.h"

#include "base/CountText.h"
#include "base/KorventError.h"
#include "base/Platform.h"
#include "base/WorkProgress.h"
#include "store/ui/uEventInfo.h"
#include "readout/ReadoutServer.h"
#include "readout/ui/uServerMain.h"
#include "output/ReportFileOutput.h"
#include "registry/ReportRegistry.h"
#include "reports/ui/uSelectReport.h"
#include "reports/ui/uwbReport.h"
#include "store/uData.h"
#include "base/ui/FileDialogs.h"

#include <QAction>
#include <QFileInfo>
#include <QApplication>
#include <QCloseEvent>
#include <QKeySequence>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>

namespace {

// A setting a command needs before it runs; one setup.ini holds unreadable is
// shown, and the command does not run.
template <typename Read>
std::optional<std::invoke_result_t<Read>> commandSetting(QWidget *window, Read read)
{
    try {
        return read();
    } catch (const KorventError &error) {
        MessageBoxSink(window).error(error.message());
        return std::nullopt;
    }
}

constexpr int storeCheckIntervalMs = 2000;

} // namespace

// One row of the command table. A command without a handler is not built
// yet: it stays visible, disabled. A command that writes an export of the
// registry takes its caption from there and is disabled while the export is
// not built.
struct TfRogMain::CommandEntry
{
    const char *name;
    const char *menu;
    const char *caption;
    QKeySequence shortcut;
    const char *hint;
    bool separatorBefore;
    void (TfRogMain::*handler)();
    std::optional<ReportKind> exportKind = std::nullopt;
};

TfRogMain::TfRogMain(const EventLocation &location, TdmData &data, SharedEventSetup &setup, QWidget *parent)
    : QMainWindow(parent)
    , m_location(location)
    , m_data(data)
    , m_setup(setup)
    , m_eventInfo(new TfEventInfo(location.eventDirectory, location.program, data, setup, this))
    , m_teams(new TfTeams(location, data, setup, this))
    , m_editControls(new TfEditControls(location.eventDirectory, data, setup, this))
    , m_dataEditor(new TfDataEditor(location, data, this))
    , m_selectReport(new TfSelectReport(this))
    , m_reportViewer(new TfwbReport(this))
    , m_mdiArea(new QMdiArea(this))
{
    setObjectName(QStringLiteral("fRogMain"));
    setWindowTitle(tr("Korvent"));
    setWindowIcon(ProgramIcon());
    setCentralWidget(m_mdiArea);
    createCommands();
    createToolBar();
    createStatusBar();
    applyEventState();
    // The server window stands in the workspace from the start, as long as the program runs.
    m_serverMain = new TfServerMain(location, setup);
    QMdiSubWindow *serverWindow = m_mdiArea->addSubWindow(m_serverMain);
    serverWindow->setAttribute(Qt::WA_DeleteOnClose, false);
    serverWindow->setWindowFlags(Qt::SubWindow | Qt::WindowTitleHint | Qt::WindowMinMaxButtonsHint);
    serverWindow->show();
    connect(&m_serverMain->server(), &ReadoutServer::storeFaultChanged, this, &TfRogMain::refreshStoreAlarm);
    // Another program may remove the files under the window at any time; a
    // check costs two stat calls.
    auto *storeCheck = new QTimer(this);
    storeCheck->setObjectName(QStringLiteral("StoreCheckTimer"));
    connect(storeCheck, &QTimer::timeout, this, &TfRogMain::refreshStoreAlarm);
    storeCheck->start(storeCheckIntervalMs);
    resize(1000, 680);
    if (const QScreen *screen = QApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TfRogMain::createCommands()
{
    static const CommandEntry table[] = {
        {"actEventSetup", "&Secretary", "&Event setup", QKeySequence(Qt::Key_F2), "Event settings, classes and controls", false, &TfRogMain::eventSetupClick},
        {"actTeams", "&Secretary", "&Teams", QKeySequence(Qt::Key_F4), "Teams and runners", false, &TfRogMain::teamsClick},
        {"actEditControls", "&Results", "Edit controls", QKeySequence(Qt::Key_F5), "Correct punches and team statuses by hand", false, &TfRogMain::editControlsClick},
        {"actCalculate", "&Results", "Calculate", QKeySequence(Qt::CTRL | Qt::Key_F5), "Calculate team results", false, &TfRogMain::calculateClick},
        {"actReports", "&Results", "Reports", QKeySequence(Qt::Key_F6), "Start lists, results and statistics", true, &TfRogMain::reportsClick},
        {"actDBEditor", "&Tools", "DB editor", {}, "Run SQL on the event database", false, &TfRogMain::dbEditorClick},
        {"actLoadStarted", "&Tools", "Load started", {}, "Mark runners as started from a file", true, &TfRogMain::loadStartedClick},
        {"actMarkReadOutStarted", "&Tools", "Mark read-out runners started", {}, "Mark every runner with a punch as started", false, &TfRogMain::markReadOutStartedClick},
        {"actMarkAllStarted", "&Tools", "Mark all runners started", {}, "Mark every runner as started", false, &TfRogMain::markAllStartedClick},
        {"actExportParticipants", "&Tools", nullptr, {}, "Participants list file", true, &TfRogMain::exportParticipantsClick, ReportKind::Participants},
        {"actExportCardex", "&Tools", nullptr, {}, "Start list file for the Cardex program", false, &TfRogMain::exportCardexClick, ReportKind::Cardex},
        {"actExportTrailplot", "&Tools", nullptr, {}, "Route files for the Trailplot program", false, &TfRogMain::exportTrailplotClick, ReportKind::Trailplot},
        {"actExportIofXml", "&Tools", nullptr, {}, "IOF XML result list", false, &TfRogMain::exportIofXmlClick, ReportKind::IofXml3},
        {"actExportTeamInfo", "&Tools", nullptr, {}, "Team information text file", false, &TfRogMain::exportTeamInfoClick, ReportKind::TeamInfo},
        {"actExportTeamsRunners", "&Tools", nullptr, {}, "Teams and runners list in a chosen text encoding", false, &TfRogMain::exportTeamsRunnersClick, ReportKind::TeamsRunners},
        {"actAbout", "&Help", "About", {}, "Program and database versions", false, &TfRogMain::aboutClick},
    };

    QHash<QString, QMenu *> menus;
    for (const CommandEntry &entry : table) {
        const QString menuTitle = tr(entry.menu);
        QMenu *&menu = menus[menuTitle];
        if (!menu)
            menu = menuBar()->addMenu(menuTitle);
        if (entry.separatorBefore)
            menu->addSeparator();
        const ReportKindEntry *exportKind = entry.exportKind ? &ReportKindOf(*entry.exportKind) : nullptr;
        QAction *action = menu->addAction(exportKind ? exportKind->captionText() : tr(entry.caption));
        action->setObjectName(QString::fromLatin1(entry.name));
        action->setShortcut(entry.shortcut);
        if (entry.handler) {
            action->setStatusTip(tr(entry.hint));
            connect(action, &QAction::triggered, this, [this, handler = entry.handler] { runCommand([this, handler] { (this->*handler)(); }); });
        } else {
            action->setEnabled(false);
            action->setStatusTip(tr(entry.hint) + tr(" (not available in this version)"));
        }
        m_commands.insert(action->objectName(), action);
    }
    m_toolsMenu = menus.value(tr("&Tools"));
}

void TfRogMain::createToolBar()
{
    QToolBar *toolBar = addToolBar(tr("Commands"));
    toolBar->setObjectName(QStringLiteral("ToolBar1"));
    toolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    toolBar->setMovable(false);

    struct Button
    {
        const char *name;
        const char *caption;
        const char *hint;
        QStyle::StandardPixmap icon;
        const char *command; // nullptr: closes the window
        bool separatorAfter;
    };
    static const Button buttons[] = {
        {"ToolButton1", "", "Event", QStyle::SP_FileDialogInfoView, "actEventSetup", false},
        {"ToolButton2", "Teams", "Teams", QStyle::SP_FileDialogDetailedView, "actTeams", true},
        {"ToolButton3", "Result", "Edit results", QStyle::SP_FileDialogContentsView, "actEditControls", false},
        {"ToolButton4", "Results", "Results", QStyle::SP_FileIcon, "actReports", true},
        {"tbtnClose", "Close", "Close", QStyle::SP_DialogCloseButton, nullptr, false},
    };
    for (const Button &button : buttons) {
        QAction *action = toolBar->addAction(style()->standardIcon(button.icon), tr(button.caption));
        action->setObjectName(QString::fromLatin1(button.name));
        action->setToolTip(tr(button.hint));
        if (button.command) {
            // The button mirrors its menu command, enabled state included.
            QAction *target = m_commands.value(QString::fromLatin1(button.command));
            action->setEnabled(target->isEnabled());
            connect(target, &QAction::enabledChanged, action, &QAction::setEnabled);
            connect(action, &QAction::triggered, target, &QAction::trigger);
        } else {
            connect(action, &QAction::triggered, this, &QWidget::close);
        }
        if (button.separatorAfter)
            toolBar->addSeparator();
    }
}

void TfRogMain::createStatusBar()
{
    const QString texts[3] = {tr("Korvent - rogaining event secretariat"), QString(), QString()};
    for (int i = 0; i < 3; ++i) {
        m_statusPanels[i] = new QLabel(texts[i], this);
        m_statusPanels[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i + 1));
        m_statusPanels[i]->setMinimumWidth(i == 1 ? 120 : 0);
        statusBar()->addPermanentWidget(m_statusPanels[i], i == 2 ? 1 : 0);
    }
    // Permanent, so that no passing status tip covers it.
    m_storeAlarm = new TAlarmLabel(this);
    m_storeAlarm->setObjectName(QStringLiteral("StoreAlarm"));
    statusBar()->insertPermanentWidget(0, m_storeAlarm, 1);
}

void TfRogMain::refreshStoreAlarm()
{
    QStringList faults;
    try {
        faults.append(m_data.connection().replacedFileMessage());
    } catch (const KorventError &error) {
        faults.append(error.message());
    }
    faults.append(m_serverMain->server().storeFault());
    faults.removeAll(QString());
    m_storeAlarm->setAlarm(faults.join(u'\n'));
}

void TfRogMain::applyEventState()
{
    // A cancelled start window opens the event for looking only.
    if (m_location.confirmed)
        m_statusPanels[2]->setText(m_location.eventDirectory);
    QAction *calculate = m_commands.value(QStringLiteral("actCalculate"));
    calculate->setEnabled(m_location.confirmed && calculate->isEnabled());
    m_toolsMenu->menuAction()->setEnabled(m_location.confirmed);
}

QAction *TfRogMain::command(const QString &name) const
{
    return m_commands.value(name);
}

void TfRogMain::runCommand(const std::function<void()> &command)
{
    try {
        command();
    } catch (const WorkCancelled &) {
        // The operator stopped it: nothing to tell.
    } catch (const KorventError &error) {
        MessageBoxSink(this).error(error.message());
    }
}

void TfRogMain::eventSetupClick()
{
    m_eventInfo->exec();
}

void TfRogMain::teamsClick()
{
    m_teams->exec();
}

void TfRogMain::loadStartedClick()
{
    const QString fileName = ChooseFileName(this, {.caption = tr("Open file"),
                                                   .start = m_location.eventDirectory,
                                                   .filters = QStringLiteral("*.csv"),
                                                   .defaultSuffix = QStringLiteral("csv"),
                                                   .objectName = QStringLiteral("OpenDialog1")});
    if (fileName.isEmpty())
        return;
    const std::optional<StartedImportSummary> summary =
        LongWork(this, m_location.eventDirectory, tr("Load started")).run([&](LongWorkTools &work) {
            return LoadStarted(work.data.connection(), ReadImportLines(fileName, QStringLiteral("ANSI")), work.progress);
        });
    if (summary)
        QMessageBox::information(this, tr("Korvent"), StartedImportSummaryText(*summary));
}

void TfRogMain::markReadOutStartedClick()
{
    markRunnersStarted(StartedRunners::ReadOut);
}

void TfRogMain::markAllStartedClick()
{
    markRunnersStarted(StartedRunners::All);
}

void TfRogMain::markRunnersStarted(StartedRunners which)
{
    const std::optional<int> controlCard = commandSetting(this, [&] { return *m_setup.snapshot()->settings.controlCard; });
    if (!controlCard)
        return;
    const int card = *controlCard;
    if (which == StartedRunners::All) {
        // Marking cannot be undone: the operator sees how many first.
        const int count = CountRunnersToMarkStarted(m_data.connection(), which, card);
        if (QMessageBox::question(this, tr("Korvent"),
                                  tr("Runners not yet started to mark as started: %1. This cannot be undone. Mark them?").arg(count))
            != QMessageBox::Yes)
            return;
    }
    QMessageBox::information(this, tr("Korvent"), StartedMarkSummaryText(MarkRunnersStarted(m_data.connection(), which, card)));
}

void TfRogMain::editControlsClick()
{
    m_editControls->exec();
}

void TfRogMain::calculateClick()
{
    const auto answer = QMessageBox::question(this, tr("Confirm"), tr("All records?"),
                                              QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer == QMessageBox::Cancel)
        return;
    const bool all = answer == QMessageBox::Yes;
    const auto setup = m_setup.snapshot();
    // Stopping between teams leaves each team as before or freshly calculated.
    const std::optional<CalculationSummary> summary =
        LongWork(this, m_location.eventDirectory, tr("Calculate")).run([&](LongWorkTools &work) {
            return TeamCalculation(work.data, setup, work.messages).CalculateAllTeams(all, work.progress);
        });
    if (summary && !summary->cancelled)
        QMessageBox::information(this, tr("Korvent"), tr("Done!"));
    else
        QMessageBox::information(this, tr("Korvent"),
                                 CountText("TfRogMain", "Calculation stopped: %n team calculated before it.",
                                           "Calculation stopped: %n teams calculated before it.", summary ? summary->calculated : 0));
}

void TfRogMain::dbEditorClick()
{
    m_dataEditor->exec();
}

void TfRogMain::reportsClick()
{
    m_selectReport->setClasses(m_setup.snapshot()->classTree);
    if (m_selectReport->exec() != QDialog::Accepted)
        return;
    const ReportKindEntry &kind = ReportKindOf(m_selectReport->chosenReport());
    ReportRequest request;
    if (kind.takes(ReportOption::Classes))
        request.classes = m_selectReport->checkedClasses();
    if (kind.takes(ReportOption::PerClass)) {
        const std::optional<bool> perClass = commandSetting(this, [&] { return *m_setup.snapshot()->settings.resultsFilePerClass; });
        if (!perClass)
            return;
        request.perClass = *perClass;
    }
    QStringList written;
    const std::optional<QString> page = runReport(kind.kind, request, &written);
    if (kind.doneMessage) {
        // The page is shown; the box names the other files.
        if (page)
            written.removeAll(*page);
        ShowDoneMessage(this, written, QCoreApplication::translate("Reports", kind.doneMessage));
    }
    if (page)
        ShowReport(*page);
}

void TfRogMain::exportIofXmlClick()
{
    const bool compress = QMessageBox::question(this, tr("Confirm"), tr("Save as compressed XML file?"),
                                                QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    ReportRequest request;
    request.compress = compress;
    const std::optional<bool> iofXml3 = commandSetting(this, [&] { return *m_setup.snapshot()->settings.iofXml3; });
    if (!iofXml3)
        return;
    QStringList written;
    runReport(*iofXml3 ? ReportKind::IofXml3 : ReportKind::IofXml2, request, &written);
    ShowDoneMessage(this, written);
}

std::optional<QString> TfRogMain::runReport(ReportKind kind, const ReportRequest &request, QStringList *written)
{
    const auto setup = m_setup.snapshot();
    const ReportKindEntry &entry = ReportKindOf(kind);
    ReportFileOutput output(m_location);
    // The files stay in memory until the run is through: Cancel leaves the folders as they were.
    const std::optional<std::optional<ReportFile>> page =
        LongWork(this, m_location.eventDirectory, entry.captionText()).run([&](LongWorkTools &work) {
            // Only reading: it gives way to the readouts of the window's server.
            Platform::lowerThreadPriority();
            return RunReport(entry, {work.data.connection(), *setup, output, &work.messages, m_location.eventDirectory, &m_location, &work.progress},
                             request);
        });
    if (!page)
        throw WorkCancelled();
    if (written)
        for (const ReportFile &file : output.files())
            written->append(output.path(file));
    return *page ? std::optional<QString>(output.path(**page)) : std::nullopt;
}

void TfRogMain::exportToChosenFile(ReportKind kind, const QString &filter, const QString &extension)
{
    ReportRequest request;
    request.target = ChooseFileName(this, {.kind = FileQuestion::FileToWrite,
                                           .caption = tr("Save to file"),
                                           .start = m_location.eventDirectory,
                                           .filters = filter,
                                           .defaultSuffix = extension,
                                           .objectName = QStringLiteral("SaveDialog1")});
    if (request.target.isEmpty())
        return;
    runReport(kind, request);
    ShowDoneMessage(this, {request.target});
}

void TfRogMain::exportParticipantsClick()
{
    exportToChosenFile(ReportKind::Participants, tr("CSV files (*.csv)"), QStringLiteral("csv"));
}

void TfRogMain::exportCardexClick()
{
    exportToChosenFile(ReportKind::Cardex, tr("Text files (*.txt)"), QStringLiteral("txt"));
}

void TfRogMain::exportTeamInfoClick()
{
    exportToChosenFile(ReportKind::TeamInfo, tr("Text files (*.txt)"), QStringLiteral("txt"));
}

void TfRogMain::exportTeamsRunnersClick()
{
    TSaveTextFileDialog dialog({.kind = FileQuestion::FileToReplace,
                                .start = m_location.eventDirectory,
                                .filters = tr("All files (*.*);;CSV files (*.csv)"),
                                .selectedFilter = tr("CSV files (*.csv)"),
                                .defaultSuffix = QStringLiteral(".csv")},
                               this);
    ReportRequest request;
    request.target = dialog.ask();
    if (request.target.isEmpty())
        return;
    request.encoding = dialog.encoding();
    runReport(ReportKind::TeamsRunners, request);
    ShowDoneMessage(this, {request.target});
}

void TfRogMain::exportTrailplotClick()
{
    QStringList written;
    runReport(ReportKind::Trailplot, {}, &written);
    ShowDoneMessage(this, written);
}

void TfRogMain::closeEvent(QCloseEvent *event)
{
    ReadoutServer &server = m_serverMain->server();
    if (server.isListening()) {
        const QString question =
            tr("The readout server is running (clients connected: %1). Stop it and close the program?").arg(server.clientCount());
        if (QMessageBox::question(this, tr("Confirm"), question, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes) {
            event->ignore();
            return;
        }
    }
    QMainWindow::closeEvent(event);
}

void TfRogMain::ShowReport(const QString &fileName)
{
    if (!QFileInfo::exists(fileName))
        return;
    m_reportViewer->OpenReportFile(fileName);
    m_reportViewer->show();
    m_reportViewer->raise();
    m_reportViewer->activateWindow();
}

void TfRogMain::aboutClick()
{
    TAboutBox about(m_data.connection().engineVersion(), this);
    about.exec();
}
