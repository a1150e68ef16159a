#include "midi/platform/MidiPlatform.h"

#include "midi/platform/JackMidiPlatform.h"
#include "midi/platform/MidiSystemProbe.h"
#include "midi/platform/RtMidiPlatform.h"

#include <atomic>

namespace {

std::atomic<MidiPlatformIF*> installedPlatform{nullptr};

const char* const NoSystemText
    = "Neither a JACK server nor the ALSA sequencer answers.";

} // namespace

std::unique_ptr<MidiPlatformIF> MidiPlatform::create(MidiSystem system, QString* problem)
{
    QString alsaProblem;
    switch (system) {
    case MidiSystem::Jack:
        return std::make_unique<JackMidiPlatform>();
    case MidiSystem::AlsaSequencer:
        if (MidiSystemProbe::alsaSequencerAvailable(problem))
            return std::make_unique<RtMidiPlatform>();
        return nullptr;
    case MidiSystem::Automatic:
        break;
    }
    if (MidiSystemProbe::jackServerAnswers())
        return std::make_unique<JackMidiPlatform>();
    if (MidiSystemProbe::alsaSequencerAvailable(&alsaProblem))
        return std::make_unique<RtMidiPlatform>();
    // JACK, unlike the sequencer, can come up while the program runs.
    *problem = QString::fromLatin1(NoSystemText);
    return std::make_unique<JackMidiPlatform>();
}

MidiPlatformIF* MidiPlatform::installed()
{
    return installedPlatform.load();
}

MidiPlatformIF* MidiPlatform::install(MidiPlatformIF* platform)
{
    return installedPlatform.exchange(platform);
}
