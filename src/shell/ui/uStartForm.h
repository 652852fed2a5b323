#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QToolButton;

// The start window: which event folder to open.
class TfStartForm : public QDialog
{
    Q_OBJECT

public:
    explicit TfStartForm(const QString &eventDirectory, QWidget *parent = nullptr);

    QString eventDirectory() const;
    // Asks whether the event folder typed, which does not exist, is to be made.
    static bool askCreateFolder(const QString &absolutePath, QWidget *parent = nullptr);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void sbChoosEventClick();

    QLineEdit *eEventDir;
    QToolButton *sbChoosEvent;
    QLabel *lProgramName;
};
