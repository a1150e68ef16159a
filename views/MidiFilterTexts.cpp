#include "views/MidiFilterTexts.h"

#include "model/TarvoParameters.h"

// One parameter per entry of each list.
static_assert(MIDIFilterCount == MessageFilterCount, "one message filter parameter per message kind");
static_assert(FilterSystemCommonCount == SystemCommonFilterCount, "one parameter per system common message");
static_assert(FilterSystemRealtimeCount == SystemRealtimeFilterCount, "one parameter per real-time message");

const char* const FilterChannelText = "Channel";
const char* const FilterMessageText = "Message";
const char* const FilterAllText = "All";
const char* const FilterNoneText = "Clear";
const char* const FilterRightArrow = ">";
const char* const FilterHintText
    = "Pressed channels and checked messages are hidden in the MIDI In Monitor and not passed on by MIDI Thru.";

const char* const MIDIFilterNameList[MIDIFilterCount] = {
    "Note Off",
    "Note On",
    "Key Pressure",
    "Control Change",
    "Program Change",
    "Channel Pressure",
    "Pitch Bend",
    "System Exclusive",
    "System Common",
    "System Realtime",
};

const char* const FilterControlChangeGroupBoxName = "Control Change";

const char* const FilterSystemCommonGroupBoxName = "System Common";
const char* const FilterSystemCommonNameList[FilterSystemCommonCount] = {
    "(F1) MIDI Time Code Quarter Frame",
    "(F2) Song Position Pointer",
    "(F3) Song Select",
    "(F6) Tune Request",
};

const char* const FilterSystemRealtimeGroupBoxName = "System Realtime";
const char* const FilterSystemRealtimeNameList[FilterSystemRealtimeCount] = {
    "(F8) Timing Clock",
    "(FA) Start",
    "(FB) Continue",
    "(FC) Stop",
    "(FE) Active Sensing",
    "(FF) System Reset",
};
