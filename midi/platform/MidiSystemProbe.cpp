#include "midi/platform/MidiSystemProbe.h"

#include <alsa/asoundlib.h>
#include <jack/jack.h>

#include <mutex>

namespace {

void ignoreAlsaMessage(const char*, int, const char*, int, const char*, ...)
{
}

void ignoreJackMessage(const char*)
{
}

} // namespace

void MidiSystemProbe::silenceDiagnostics()
{
    static std::once_flag once;
    std::call_once(once, [] {
        snd_lib_error_set_handler(ignoreAlsaMessage);
        jack_set_error_function(ignoreJackMessage);
        jack_set_info_function(ignoreJackMessage);
    });
}

bool MidiSystemProbe::alsaSequencerAvailable()
{
    silenceDiagnostics();
    snd_seq_t* sequencer = nullptr;
    if (snd_seq_open(&sequencer, "default", SND_SEQ_OPEN_DUPLEX, 0) < 0) {
        return false;
    }
    snd_seq_close(sequencer);
    return true;
}
