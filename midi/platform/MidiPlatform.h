#ifndef MIDIPLATFORM_H
#define MIDIPLATFORM_H

class MidiPlatformIF;

// The process-wide platform instance that the device layer uses. Unless
// another one is installed it is the system's: RtMidi over the ALSA sequencer
// when that answers, the JACK platform otherwise. A MIDI client keeps the
// instance that was current when it was created, so install before creating
// the client and keep the instance alive until the client is gone.
class MidiPlatform
{
public:
    static MidiPlatformIF& current();
    // Installs platform (null restores the system's) and returns the
    // instance installed before, null for the system's.
    static MidiPlatformIF* install(MidiPlatformIF* platform);
};

#endif // MIDIPLATFORM_H
