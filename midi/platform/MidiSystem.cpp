#include "midi/platform/MidiSystem.h"

namespace {

struct SystemName
{
    const char* option;
    MidiSystem system;
};

const SystemName SystemNames[] = {
    {"auto", MidiSystem::Automatic},
    {"alsa", MidiSystem::AlsaSequencer},
    {"jack", MidiSystem::Jack},
};

} // namespace

bool parseMidiSystem(const QString& name, MidiSystem* system)
{
    for (const SystemName& known : SystemNames) {
        if (name == QLatin1String(known.option)) {
            *system = known.system;
            return true;
        }
    }
    return false;
}
