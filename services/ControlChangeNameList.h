#pragma once

// The 128 controller texts, indexed by controller number: the control change
// view's list, the main window's Control Change submenu, the control change
// filter page and the "MidiFilter" settings keys all use them.
const int ControlChangeCount = 128;
extern const char* const ControlChangeNameList[ControlChangeCount];
