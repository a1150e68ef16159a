#pragma once

// Texts of the filter view and its detail pages. A position in a name list
// is the index that the monitor engine's filter tables use; the lists also
// name the "MidiFilter" settings keys.
extern const char* const FilterChannelText;
extern const char* const FilterMessageText;
extern const char* const FilterAllText;
extern const char* const FilterNoneText;
extern const char* const FilterRightArrow;
// Below the boxes: what a pressed channel or a checked message does.
extern const char* const FilterHintText;

const int MIDIFilterCount = 10;
extern const char* const MIDIFilterNameList[MIDIFilterCount];

extern const char* const FilterControlChangeGroupBoxName;

extern const char* const FilterSystemCommonGroupBoxName;
const int FilterSystemCommonCount = 4;
extern const char* const FilterSystemCommonNameList[FilterSystemCommonCount];

extern const char* const FilterSystemRealtimeGroupBoxName;
const int FilterSystemRealtimeCount = 6;
extern const char* const FilterSystemRealtimeNameList[FilterSystemRealtimeCount];
