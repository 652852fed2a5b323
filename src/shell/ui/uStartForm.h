#pragma once

#include "db/DatabaseAddress.h"

#include <QDialog>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QToolButton;

// The start window: which event folder to open, and where its database is:
// the folder's own file or a database on a PostgreSQL server.
class TfStartForm : public QDialog
{
    Q_OBJECT

public:
    explicit TfStartForm(const QString &eventDirectory, QWidget *parent = nullptr);

    QString eventDirectory() const;
    // The database chosen for the folder, checked by connecting when the window was accepted.
    std::optional<db::DatabaseAddress> database() const { return m_database; }
    // Asks whether the event folder typed, which does not exist, is to be made.
    static bool askCreateFolder(const QString &absolutePath, QWidget *parent = nullptr);

    void accept() override;
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void sbChoosEventClick();
    // Shows the database the folder typed is bound to now.
    void showFolderDatabase();
    void showEngine();
    // True unless the folder is bound to a server and the operator does not want to leave it.
    bool leaveServerAsked();
    // Connects to the server off the window's thread; the error's text, or empty.
    QString checkServer(const db::DatabaseAddress &address);

    QLineEdit *eEventDir;
    QToolButton *sbChoosEvent;
    QLabel *lProgramName;
    QComboBox *cbDatabase;
    QLineEdit *eServerAddress;
    std::optional<db::DatabaseAddress> m_database;
    bool m_checking = false;
};
