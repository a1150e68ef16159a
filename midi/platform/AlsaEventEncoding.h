#ifndef ALSAEVENTENCODING_H
#define ALSAEVENTENCODING_H

#include <alsa/asoundlib.h>

#include <cstddef>

// The sequencer events that carry the bytes of one send, in order, for the
// program's sends: whole messages, real-time bytes, and System Exclusive
// messages whole or in pieces. A run of System Exclusive bytes (from F0, or
// data bytes and F7 at the start of a send, which continue a message begun in
// an earlier send) up to and with F7 becomes one SYSEX event whose data points
// into data, so data must outlive the events; a real-time byte inside such a
// run splits it, and the bytes after it continue the message. Other messages
// go through encoder (reset first) whole. Running status is not carried. The
// events' source, destination and queue are left for the sender. False, with
// no valid events, for bytes that do not make whole events (a message cut
// short, running status, an undefined status) or need more than capacity.
bool alsaEventsOfBytes(snd_midi_event_t* encoder, const unsigned char* data, std::size_t size, snd_seq_event_t* events,
                       std::size_t capacity, std::size_t* count);

#endif // ALSAEVENTENCODING_H
