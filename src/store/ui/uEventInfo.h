#pragma once

// The event setup window: event settings, classes, controls, server and list
// options. Created once at start-up; every close writes setup.ini, the class
// tree and the country list and publishes the new settings to all readers.

#include "store/ClassTable.h"

#include <QDialog>

class CountryListModel;
class QLineEdit;
class QSqlTableModel;
class QTableView;
class QTreeWidget;
class QTreeWidgetItem;
class QVBoxLayout;
class SharedEventSetup;
class TDBNavigator;
class TdmData;
struct SettingDefinition;

class TfEventInfo : public QDialog
{
    Q_OBJECT

public:
    TfEventInfo(const QString &eventDirectory, const QString &programDirectory, TdmData &data, SharedEventSetup &shared,
                QWidget *parent = nullptr);

    ClassTree classTree() const;
    void setClassTree(const ClassTree &tree);
    CountryListModel *countries() const { return m_countries; }

    void btnAddClassClick();
    void btnRemoveClassClick();
    // Writes the three files and publishes; raises KorventError when a file cannot be written.
    void saveAll();

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;

private:
    struct TableGrid
    {
        QTableView *view;
        QSqlTableModel *model;
        TDBNavigator *navigator;
    };

    QWidget *createSettingControl(const SettingDefinition &definition, QWidget *parent);
    void addSettingsOfTab(const char *tab, QWidget *page, QVBoxLayout *column);
    // A tab of nothing but settings.
    QWidget *createFormTab(const char *tab);
    QWidget *createClassesTab();
    QWidget *createControlsTab();
    QWidget *createListsTab();
    TableGrid createTableGrid(const QString &table, const QString &objectName, QWidget *parent);
    void sbOpenFileClick();

    QString m_eventDirectory;
    QString m_programDirectory;
    TdmData &m_data;
    SharedEventSetup &m_shared;
    QTreeWidget *tvClassList = nullptr;
    CountryListModel *m_countries = nullptr;
    QList<TableGrid> m_grids;
};
