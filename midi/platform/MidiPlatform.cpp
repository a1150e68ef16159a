#include "midi/platform/MidiPlatform.h"

#include "midi/platform/JackMidiPlatform.h"
#include "midi/platform/MidiSystemProbe.h"
#include "midi/platform/RtMidiPlatform.h"

#include <atomic>

namespace {

std::atomic<MidiPlatformIF*> installedPlatform{nullptr};

}

MidiPlatformIF& MidiPlatform::current()
{
    MidiPlatformIF* platform = installedPlatform.load();
    if (platform) {
        return *platform;
    }
    // The ALSA sequencer when it answers, else JACK, which also waits for a
    // server that is not running yet.
    static MidiPlatformIF* const systemPlatform = MidiSystemProbe::alsaSequencerAvailable()
        ? static_cast<MidiPlatformIF*>(new RtMidiPlatform())
        : static_cast<MidiPlatformIF*>(new JackMidiPlatform());
    return *systemPlatform;
}

MidiPlatformIF* MidiPlatform::install(MidiPlatformIF* platform)
{
    return installedPlatform.exchange(platform);
}
