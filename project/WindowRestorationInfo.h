#pragma once

#include <QList>
#include <QVariant>

// Base of every tool view whose window is kept in the settings layout and in
// project files: the kind of window and the values needed to create it again.
class WindowRestorationInfo
{
public:
    enum WindowId {
        WindowIdMainWindow = 0,
        WindowIdMidiInMonitor = 1,
        WindowIdMidiOutMonitor = 2,
        WindowIdSystemExclusive = 3,
        WindowIdKeyboard = 4,
        WindowIdControlChange = 5,
        WindowIdProgramChange = 6,
        WindowIdMidiSettings = 7,
        WindowIdFilter = 8,
        WindowIdTimingClock = 9,
        // A window that keeps no layout: never stored.
        WindowIdPreferences = 10,
        WindowIdUnknown = 12,
        // Windows that keep no layout: never stored.
        WindowIdMidiPlayer = 13,
        WindowIdLatencyTest = 14,
    };

    virtual ~WindowRestorationInfo() = default;

    int windowId = WindowIdUnknown;
    QList<QVariant> values;
};

// The control change view's base: its values hold the controller number.
class ControlChangeWindowRestorationInfo : public WindowRestorationInfo
{
};
