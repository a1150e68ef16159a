#include "app/MenuTables.h"

const char* const MenuBarMenuTable[] = {"&File", "&InputPort", "&OutputPort", "&Views", "&Window", "&Help"};
const int MenuBarMenuCount = sizeof(MenuBarMenuTable) / sizeof(MenuBarMenuTable[0]);

const MenuItem FileMenuTable[] = {
    {"&New", "Ctrl+N"},
    {"&Open...", "Ctrl+O"},
    {"&Save", "Ctrl+S"},
    {"Save &As...", nullptr},
    {"Play MIDI &File...", nullptr},
    {"&Preferences...", "Ctrl+,"},
    {"&Quit", "Ctrl+Q"},
};
const int FileMenuCount = sizeof(FileMenuTable) / sizeof(FileMenuTable[0]);

const MenuItem ViewsMenuTable[] = {
    {"MIDI &In Monitor", "Ctrl+I"},
    {"MIDI O&ut Monitor", "Ctrl+U"},
    {"&Keyboard", "Ctrl+K"},
    {"&Control Change", nullptr},
    {"&Program Change", "Ctrl+P"},
    {"&System Exclusive", "Ctrl+E"},
    {"&Timing Clock", "Ctrl+T"},
    {"&Filter", "Ctrl+L"},
    {"&MIDI Settings", "Ctrl+M"},
    {"MIDI File Pla&yer", nullptr},
    {"&Latency Test", nullptr},
};
const int ViewsMenuCount = sizeof(ViewsMenuTable) / sizeof(ViewsMenuTable[0]);

const MenuItem WindowMenuTable[] = {
    {"Close &All", nullptr},
    {"&Cascade", nullptr},
    {"&Tile", nullptr},
};
const int WindowMenuCount = sizeof(WindowMenuTable) / sizeof(WindowMenuTable[0]);

const MenuItem HelpMenuTable[] = {
    {"About", nullptr},
    {"Open Source License", nullptr},
};
const int HelpMenuCount = sizeof(HelpMenuTable) / sizeof(HelpMenuTable[0]);
