#pragma once

// The main window: the event's workspace, its command menu and tool bar.

#include "StartupSequence.h"

#include <QHash>
#include <QMainWindow>
#include <functional>

class QAction;
class QLabel;
class QMdiArea;
class QMenu;
class TdmData;

class TfRogMain : public QMainWindow
{
    Q_OBJECT

public:
    TfRogMain(const EventLocation &location, TdmData &data, QWidget *parent = nullptr);

    const EventLocation &location() const { return m_location; }
    QMdiArea *mdiArea() const { return m_mdiArea; }
    // The command by its action name (for example "actCalculate").
    QAction *command(const QString &name) const;

private:
    struct CommandEntry;
    void createCommands();
    void createToolBar();
    void createStatusBar();
    void applyEventState();
    // Runs a command; an error it raises is shown to the operator.
    void runCommand(const std::function<void()> &command);
    void aboutClick();

    EventLocation m_location;
    TdmData &m_data;
    QMdiArea *m_mdiArea;
    QMenu *m_toolsMenu = nullptr;
    QHash<QString, QAction *> m_commands;
    QLabel *m_statusPanels[3] = {};
};
