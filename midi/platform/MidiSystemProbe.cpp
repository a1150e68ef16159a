#include "midi/platform/MidiSystemProbe.h"

#include <alsa/asoundlib.h>
#include <jack/jack.h>

#include <mutex>

namespace {

const char* const AlsaProblemFormat = "The ALSA sequencer cannot be opened (/dev/snd/seq): %1.";
const char* const ProbeClientName = "tarvo-probe";

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

bool MidiSystemProbe::alsaSequencerAvailable(QString* problem)
{
    silenceDiagnostics();
    snd_seq_t* sequencer = nullptr;
    const int result = snd_seq_open(&sequencer, "default", SND_SEQ_OPEN_DUPLEX, 0);
    if (result < 0) {
        if (problem)
            *problem = QString::fromLatin1(AlsaProblemFormat).arg(QString::fromLocal8Bit(snd_strerror(result)));
        return false;
    }
    snd_seq_close(sequencer);
    return true;
}

bool MidiSystemProbe::jackServerAnswers()
{
    silenceDiagnostics();
    jack_status_t status;
    jack_client_t* client = jack_client_open(ProbeClientName, JackNoStartServer, &status);
    if (!client) {
        return false;
    }
    jack_client_close(client);
    return true;
}
