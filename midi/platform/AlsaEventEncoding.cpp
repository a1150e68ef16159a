#include "midi/platform/AlsaEventEncoding.h"

namespace {

const unsigned char StatusBit = 0x80;
const unsigned char StartOfExclusive = 0xF0;
const unsigned char EndOfExclusive = 0xF7;
const unsigned char FirstRealTime = 0xF8;

bool isRealTime(unsigned char byte)
{
    return byte >= FirstRealTime;
}

// Whether byte belongs to a run of System Exclusive bytes.
bool continuesExclusive(unsigned char byte)
{
    return (byte & StatusBit) == 0 || byte == EndOfExclusive;
}

} // namespace

bool alsaEventsOfBytes(snd_midi_event_t* encoder, const unsigned char* data, std::size_t size, snd_seq_event_t* events,
                       std::size_t capacity, std::size_t* count)
{
    snd_midi_event_reset_encode(encoder);
    std::size_t made = 0;
    // A send may begin in the middle of a System Exclusive message.
    bool inExclusive = true;
    // A message other than System Exclusive has begun and is not complete.
    bool pending = false;
    std::size_t i = 0;
    while (i < size) {
        const unsigned char byte = data[i];
        if (made == capacity) {
            return false;
        }
        if (!pending && (byte == StartOfExclusive || (inExclusive && continuesExclusive(byte)))) {
            std::size_t end = i + 1;
            while (end < size && data[end - 1] != EndOfExclusive && continuesExclusive(data[end])) {
                ++end;
            }
            snd_seq_event_t* event = &events[made++];
            snd_seq_ev_clear(event);
            snd_seq_ev_set_sysex(event, static_cast<unsigned int>(end - i), const_cast<unsigned char*>(data + i));
            inExclusive = data[end - 1] != EndOfExclusive;
            i = end;
            continue;
        }
        if (!isRealTime(byte)) {
            // A new status byte while a message is incomplete, a data byte
            // with no status of its own, or F7 outside System Exclusive, is
            // not a whole message.
            if (byte == EndOfExclusive || ((byte & StatusBit) != 0 ? pending : !pending)) {
                return false;
            }
            inExclusive = false;
        }
        // The encoder keeps a message in progress to itself and fills the
        // event only when the message is complete.
        snd_seq_event_t* event = &events[made];
        snd_seq_ev_clear(event);
        const int done = snd_midi_event_encode_byte(encoder, byte, event);
        if (done < 0 || (done > 0 && event->type == SND_SEQ_EVENT_NONE) || (done == 0 && isRealTime(byte))) {
            return false;
        }
        if (done > 0) {
            ++made;
            pending = pending && isRealTime(byte);
        } else {
            pending = true;
        }
        ++i;
    }
    *count = made;
    return !pending;
}
