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

protected:
    void showEvent(QShowEvent *event) override;

private:
    void sbChoosEventClick();

    QLineEdit *eEventDir;
    QToolButton *sbChoosEvent;
    QLabel *lProgramName;
};
