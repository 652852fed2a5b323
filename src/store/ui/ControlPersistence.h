#pragma once

// Saving and loading a window's controls to an INI section, each control
// under its object name, by its kind:
//   line edits (masked too): text; spin boxes: value; check boxes: 0/1;
//   radio groups and combo boxes: chosen index; list boxes and memos: one
//   key name_i per line; string grids: name_rows, name_cols, name_r_c;
//   time edits: TimeInt; date-time pickers: "YYYY-MM-DD HH:MM:SS".
// Trees, data-bound grids, value lists and buttons are not saved.

#include <QString>
#include <optional>

class IniFile;
class QWidget;

// Rewrites the section: keys of no control disappear.
void SaveControls(const QWidget *window, IniFile &ini, const QString &section);
// A missing or unreadable key keeps the control's current value.
void LoadControls(QWidget *window, const IniFile &ini, const QString &section);

// The value of a control that holds one value (all but list boxes, memos and
// string grids), as the INI file holds it; nullopt for other controls.
std::optional<QString> ControlText(const QWidget *control);
// Sets such a control from that text; text it cannot take leaves its value.
void SetControlText(QWidget *control, const QString &text);
