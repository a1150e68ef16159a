#include "midi/platform/AlsaEventDecoding.h"

bool alsaBytesOfEvent(snd_midi_event_t* decoder, const snd_seq_event_t& event, unsigned char* buffer,
                      std::size_t capacity, const unsigned char** data, std::size_t* size)
{
    if (event.type == SND_SEQ_EVENT_SYSEX) {
        if (!snd_seq_ev_is_variable(&event) || event.data.ext.len == 0) {
            return false;
        }
        *data = static_cast<const unsigned char*>(event.data.ext.ptr);
        *size = event.data.ext.len;
        return true;
    }
    // The decoder keeps the previous status only for running status, which
    // is off.
    snd_midi_event_no_status(decoder, 1);
    snd_midi_event_reset_decode(decoder);
    const long decoded = snd_midi_event_decode(decoder, buffer, static_cast<long>(capacity),
                                               &event);
    if (decoded <= 0) {
        return false;
    }
    *data = buffer;
    *size = static_cast<std::size_t>(decoded);
    return true;
}
