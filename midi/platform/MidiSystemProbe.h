#ifndef MIDISYSTEMPROBE_H
#define MIDISYSTEMPROBE_H

#include <QString>

// Quiet checks for the ALSA sequencer and for a JACK server. RtMidi reports an unavailable system
// on stderr before its error callback can be installed, and the system
// libraries print diagnostics of their own, so the sequencer is opened through
// RtMidi only after it answered here. The check silences the diagnostics of
// ALSA and JACK for the whole process: the program logs nothing.
class MidiSystemProbe
{
public:
    // False with the reason, when one is asked for, where the sequencer does not open.
    static bool alsaSequencerAvailable(QString* problem = nullptr);
    // A JACK server (jackd or PipeWire's JACK) takes a client, without one being started.
    static bool jackServerAnswers();
    // Silences the diagnostics of ALSA and JACK for the whole process.
    static void silenceDiagnostics();
};

#endif // MIDISYSTEMPROBE_H
