#pragma once

// What the controls page's commands need of the window that shows the page:
// its controls are the live settings, read and set there until it closes.

struct EventSettings;
struct MapReference;
class QWidget;

class ControlsPageHost
{
public:
    // The settings as the window shows them; raises KorventError naming a
    // field that holds no value of its kind.
    virtual EventSettings settings() = 0;
    // Whether control codes are unit numbers plus 11, and whether the check
    // IN/OUT controls are created with a run of controls.
    virtual bool unitNumbersPlus11() const = 0;
    virtual bool checkInOut() const = 0;
    // Shows an imported map reference (scale and offsets) in the window's settings.
    virtual void showMapReference(const MapReference &map) = 0;
    // Brings the page holding the widget to front.
    virtual void showPageOf(QWidget *widget) = 0;

protected:
    ~ControlsPageHost() = default;
};
