#include "midi/platform/MidiPlatform.h"

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
    static RtMidiPlatform rtMidiPlatform;
    return rtMidiPlatform;
}

MidiPlatformIF* MidiPlatform::install(MidiPlatformIF* platform)
{
    return installedPlatform.exchange(platform);
}
