#ifndef MIDIRESULT_H
#define MIDIRESULT_H

#include <QtGlobal>

enum MIDI_RESULT
{
    MIDI_RESULT_OK = 0,
    MIDI_RESULT_ERROR = 1,
    // Stopped on request before the end.
    MIDI_RESULT_CANCELLED = 2
};

// Stores value through result when the caller asked for it (result not null).
void setMidiResult(MIDI_RESULT* result, MIDI_RESULT value);

// No source or destination is selected.
constexpr quint32 InvalidPortIndex = 0xFFFFFFFF;
// Unique id that stands for no endpoint.
constexpr qint32 InvalidPortId = 0x7FFFFFFF;
// Shown as the current port's name when none is open.
extern const char* const NoAssign;
// The choice, and stored name, of a port of the program's own that other
// programs connect to.
extern const char* const VirtualPort;
constexpr quint32 VirtualPortIndex = 0xFFFFFFFE;

#endif // MIDIRESULT_H
