#include "base/ui/AlarmLabel.h"

TAlarmLabel::TAlarmLabel(QWidget *parent)
    : QLabel(parent)
{
    setStyleSheet(QStringLiteral("QLabel { color: white; background-color: #c00000; font-weight: bold; padding: 2px 6px; }"));
    setWordWrap(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    hide();
}

void TAlarmLabel::setAlarm(const QString &text)
{
    setText(text);
    setToolTip(text);
    setVisible(!text.isEmpty());
}
