#ifndef MIDIPLATFORM_H
#define MIDIPLATFORM_H

#include "midi/platform/MidiSystem.h"

#include <QString>

#include <memory>

class MidiPlatformIF;

// Makes the platform of a MIDI system for a MIDI client. Tests install a
// platform of their own instead, which every client made meanwhile uses:
// install it before the client is made and keep it alive until it is gone.
class MidiPlatform
{
public:
    // The chosen system's platform, or null with why it cannot be opened.
    // Automatic takes JACK when a server answers without being started,
    // else the ALSA sequencer, else JACK with problem saying that neither
    // answers. A JACK platform waits for a server that is not running yet.
    static std::unique_ptr<MidiPlatformIF> create(MidiSystem system, QString* problem);
    // The platform installed for tests; null when none is.
    static MidiPlatformIF* installed();
    // Installs platform (null for none) and returns the one installed before.
    static MidiPlatformIF* install(MidiPlatformIF* platform);
};

#endif // MIDIPLATFORM_H
