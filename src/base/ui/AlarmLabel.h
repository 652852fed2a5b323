#pragma once

// A message that must not be overlooked (the event's data not reaching the
// disk as it should): white on red, shown only while it has a text.

#include <QLabel>

class TAlarmLabel : public QLabel
{
    Q_OBJECT

public:
    explicit TAlarmLabel(QWidget *parent = nullptr);

    // An empty text hides the label.
    void setAlarm(const QString &text);
};
