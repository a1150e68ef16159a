#ifndef ALSAEVENTDECODING_H
#define ALSAEVENTDECODING_H

#include <alsa/asoundlib.h>

#include <cstddef>

// The MIDI bytes a received sequencer event stands for. A SYSEX event is
// passed on as the sequencer delivered it, a whole message or a piece of
// one, without copying: *data then points into the event's own data. Other
// MIDI events are decoded by decoder into buffer, each message with its
// status byte (no running status). False for events that are not MIDI bytes
// (subscriptions, client and port announcements, timer events) and for those
// that do not fit capacity.
bool alsaBytesOfEvent(snd_midi_event_t* decoder, const snd_seq_event_t& event, unsigned char* buffer,
                      std::size_t capacity, const unsigned char** data, std::size_t* size);

#endif // ALSAEVENTDECODING_H
