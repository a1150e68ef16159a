#ifndef JACKCYCLELIMITS_H
#define JACKCYCLELIMITS_H

#include <cstddef>

// What one JACK cycle may carry on one port so that every JACK implementation
// delivers it whole, at every period size: bench/jackcycle measures it and
// checks these figures. jackd's port buffer takes 32,720 bytes (12 per event
// plus the data); PipeWire's libjack delivers nothing at all of a cycle whose
// events need more than its 32 KiB (16 bytes per event plus the data rounded
// up to 8): 64 events of 448 bytes need 29,696. PipeWire carries up to 1,364
// small events; 64 leave receivers that queue events one by one (the example
// client jack_midi_dump keeps 127) a cycle to spare. Writers stay within the
// port's own buffer (jack_midi_max_event_size) too.
namespace JackCycleLimits {

const std::size_t MostEvents = 64;
const std::size_t MostBytes = 28 * 1024;

} // namespace JackCycleLimits

#endif // JACKCYCLELIMITS_H
