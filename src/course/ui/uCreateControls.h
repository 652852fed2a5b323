#pragma once

// The "Create controls" dialog: the first and last number of the run of
// scoring controls to add. OK accepts; closing it any other way adds nothing.

#include <QDialog>

class QSpinBox;

class TfCreateControls : public QDialog
{
    Q_OBJECT

public:
    explicit TfCreateControls(QWidget *parent = nullptr);

    int from() const;
    int to() const;

private:
    QSpinBox *seFrom;
    QSpinBox *seTo;
};
