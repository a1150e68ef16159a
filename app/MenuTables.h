#pragma once

// Fixed texts of the main window's menu bar. Each menu action carries its
// index in its table as data; the menu's slot dispatches on that index.

struct MenuItem
{
    const char* label;
    const char* shortcut; // null when the item has none
};

extern const char* const MenuBarMenuTable[];
extern const int MenuBarMenuCount;

enum FileMenuIndex {
    FileMenuNew,
    FileMenuOpen,
    FileMenuSave,
    FileMenuSaveAs,
    FileMenuPlayMidiFile,
    FileMenuPreferences,
    FileMenuQuit,
};
extern const MenuItem FileMenuTable[];
extern const int FileMenuCount;

enum ViewsMenuIndex {
    ViewsMenuMidiInMonitor,
    ViewsMenuMidiOutMonitor,
    ViewsMenuKeyboard,
    ViewsMenuControlChange,
    ViewsMenuProgramChange,
    ViewsMenuSystemExclusive,
    ViewsMenuTimingClock,
    ViewsMenuFilter,
    ViewsMenuMidiSettings,
    ViewsMenuMidiPlayer,
    ViewsMenuLatencyTest,
};
extern const MenuItem ViewsMenuTable[];
extern const int ViewsMenuCount;

enum WindowMenuIndex { WindowMenuCloseAll, WindowMenuCascade, WindowMenuTile };
extern const MenuItem WindowMenuTable[];
extern const int WindowMenuCount;

enum HelpMenuIndex { HelpMenuAbout, HelpMenuOpenSourceLicense };
extern const MenuItem HelpMenuTable[];
extern const int HelpMenuCount;
