#pragma once

// The value of a setting's control as the INI file holds it, by the control's
// kind: line edits (masked too): text; spin boxes: value; check boxes: 0/1;
// radio groups and combo boxes: chosen index; time edits: TimeInt;
// date-time pickers: "YYYY-MM-DD HH:MM:SS".

#include <QString>
#include <optional>

class QWidget;

// nullopt for a control that holds no such value (list boxes, memos, grids).
std::optional<QString> ControlText(const QWidget *control);
// Sets such a control from that text; text it cannot take leaves its value.
void SetControlText(QWidget *control, const QString &text);
