#pragma once

// The event setup window: event settings, classes, controls, server and list
// options. Created once at start-up; every close writes the settings and the
// class tree the operator changed (through EventSettings::update, as
// `korvent-cli settings set` does, so that what other programs changed
// meanwhile stays) and the country list, and publishes the new settings to
// all readers. The grids write
// each edit to the database as it is made.

#include "course/ui/ControlsPageHost.h"
#include "base/ProgramFiles.h"
#include "store/CountryList.h"
#include "store/ClassTable.h"
#include "store/EventSetup.h"
#include "store/EventSettings.h"

#include <QDialog>
#include <QSet>
#include <optional>

class ControlsPageMenu;
class CountryListModel;
class QLineEdit;
class QTableView;
class QTreeWidget;
class QTreeWidgetItem;
class QVBoxLayout;
class SharedEventSetup;
class TDBNavigator;
class TdmData;
namespace db {
class EditableTableModel;
struct TableDefinition;
}

class TfEventInfo : public QDialog, public ControlsPageHost
{
    Q_OBJECT

public:
    TfEventInfo(const QString &eventDirectory, const ProgramFiles &program, TdmData &data, SharedEventSetup &shared,
                QWidget *parent = nullptr);

    ClassTree classTree() const;
    void setClassTree(const ClassTree &tree);
    CountryListModel *countries() const { return m_countries; }

    // The settings as the controls show them. Raises KorventError naming the
    // field when one does not hold a value of its kind (a half-typed time),
    // after bringing that control to front. A text of setup.ini that did not
    // read and was not edited is carried as it stands.
    EventSettings settings() override;
    bool unitNumbersPlus11() const override;
    bool checkInOut() const override;
    void showMapReference(const MapReference &map) override;
    void showPageOf(QWidget *widget) override;

    void btnAddClassClick();
    // Writes the editor's name and times into the selected class.
    void btnChangeClassClick();
    // Asks first, naming the sub-classes that go with it.
    void btnRemoveClassClick();

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;

private:
    struct TableGrid
    {
        QTableView *view;
        db::EditableTableModel *model;
        TDBNavigator *navigator;
    };

    QWidget *createSettingControl(const SettingDefinition &definition, QWidget *parent);
    void addSettingsOfTab(const char *tab, QWidget *page, QVBoxLayout *column);
    // A tab of nothing but settings.
    QWidget *createFormTab(const char *tab);
    QWidget *createClassesTab();
    QWidget *createControlsTab();
    QWidget *createListsTab();
    // Writes the three files and publishes; raises KorventError when a file cannot be written.
    void save(const EventSettings &settings);
    TableGrid createTableGrid(const db::TableDefinition &table, const QString &objectName, QWidget *parent);
    QWidget *settingControl(const SettingDefinition &definition) const;
    void showSettings(const EventSettings &settings);
    // The text setup.ini held for a setting that did not read, while its
    // control still shows it untouched; nullptr otherwise.
    const UnreadableSetting *shownUnreadable(const SettingDefinition &definition) const;
    // Shows the control as holding the file's unreadable text (red, the
    // message as its tip), or as an ordinary one again.
    void markUnreadable(const SettingDefinition &definition, const UnreadableSetting *unreadable);
    // The operator (or a command of the window) gave the setting a value.
    void settingEdited(const SettingDefinition &definition);
    // Sets a setting from its control; raises KorventError after bringing the control to front.
    void takeSetting(EventSettings &settings, const SettingDefinition &definition);
    void sbOpenFileClick();
    QWidget *createClassEditor(QWidget *parent);
    // The selected class, or none: the current item alone is not a selection.
    QTreeWidgetItem *selectedClass() const;
    void showSelectedClass();
    QTreeWidgetItem *addClassItem(QTreeWidgetItem *parent, const QString &nodeText);
    // Shows the problem and returns false when the name or times cannot be
    // stored; a class being renamed (oldName) may keep its own name.
    bool acceptableClass(const QString &name, const MainClassTimes *times, const QString &oldName = {});
    // Shows the settings and classes as the event's files hold them.
    void loadFiles();
    // The settings as the controls show them, a control that holds no value
    // of its kind leaving the setting as `fallback` has it.
    EventSettings shownSettings(const EventSettings &fallback);

    QString m_eventDirectory;
    ProgramFiles m_program;
    TdmData &m_data;
    SharedEventSetup &m_shared;
    QTreeWidget *tvClassList = nullptr;
    QWidget *gbSelectedClass = nullptr;
    QLineEdit *eEditClassName = nullptr;
    QLineEdit *meEditStartTime = nullptr;
    QLineEdit *meEditControlTime = nullptr;
    QLineEdit *meEditPenaltyTime = nullptr;
    CountryListModel *m_countries = nullptr;
    QList<TableGrid> m_grids;
    ControlsPageMenu *m_controlsMenu = nullptr;
    // The files as the controls last loaded or saved them; none while the
    // controls hold edits that could not be saved.
    std::optional<EventSetupStamps> m_filesShown;
    // What the controls showed when the files were last loaded: a close
    // writes only what differs from it. Its unreadable settings are the ones
    // whose text the controls show (m_unreadableShown, by key) until edited.
    EventSettings m_settingsShown;
    QSet<QString> m_unreadableShown;
    bool m_showing = false; // controls are being set from settings, not edited
    ClassTree m_treeShown;
    CountryList m_countriesShown;
};
