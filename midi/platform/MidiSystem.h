#ifndef MIDISYSTEM_H
#define MIDISYSTEM_H

#include <QString>

// Which MIDI system the program speaks: its choice in the MIDI Settings
// window (stored as this number) and the --midi-system option of both programs.
enum class MidiSystem {
    // JACK when a server answers without being started (jackd or PipeWire's
    // JACK), else the ALSA sequencer, else JACK waiting for a server.
    Automatic = 0,
    AlsaSequencer = 1,
    Jack = 2,
};

// "auto", "alsa" or "jack", as the option takes them; false for anything else.
bool parseMidiSystem(const QString& name, MidiSystem* system);

#endif // MIDISYSTEM_H
