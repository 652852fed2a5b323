#pragma once

// The context menu of the setup window's control grid (pmControls), also the
// window's "Controls" menu: import
// the controls and map reference of a course data file, create a run of
// controls, print the control list, and save the course picture. The window's
// controls are the live settings: the commands read the options and map
// settings through its ControlsPageHost, and an import sets the map reference
// there, to be saved with the rest when the window closes.

#include <QObject>
#include <QString>
#include <functional>

class ControlsPageHost;
class QMenu;
class QTableView;
class QWidget;
class TDBNavigator;
class TdmData;

class ControlsPageMenu : public QObject
{
    Q_OBJECT

public:
    // `window` shows the page and implements `host`; it parents the commands' dialogs.
    ControlsPageMenu(QWidget &window, ControlsPageHost &host, QTableView *grid, TDBNavigator *navigator, TdmData &data, const QString &eventDirectory);

    QMenu *menu() const { return pmControls; }

    void miImportOCAD9Click();
    void miCreateClick();
    void miPrintClick();
    void miMapFileClick();

private:
    // The import after the file was chosen.
    void importFile(const QString &fileName);
    // Runs a command that adds rows: the cell being edited is written first,
    // the grid shows the table afterwards, an error is shown in a message box.
    void changeControls(const std::function<void()> &command);

    QWidget &m_window;
    ControlsPageHost &m_host;
    QTableView *m_grid;
    TDBNavigator *m_navigator;
    TdmData &m_data;
    QString m_eventDirectory;
    QMenu *pmControls;
};
