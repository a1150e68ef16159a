#include "midi/MidiResult.h"

const char* const NoAssign = "No Assign";
const char* const VirtualPort = "Virtual Port";

void setMidiResult(MIDI_RESULT* result, MIDI_RESULT value)
{
    if (result) {
        *result = value;
    }
}
