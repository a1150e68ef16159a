#ifndef MIDISYSTEMPROBE_H
#define MIDISYSTEMPROBE_H

// A quiet check for the ALSA sequencer. RtMidi reports an unavailable system
// on stderr before its error callback can be installed, and the system
// libraries print diagnostics of their own, so the sequencer is opened through
// RtMidi only after it answered here. The check silences the diagnostics of
// ALSA and JACK for the whole process: the program logs nothing.
class MidiSystemProbe
{
public:
    static bool alsaSequencerAvailable();
    // Silences the diagnostics of ALSA and JACK for the whole process.
    static void silenceDiagnostics();
};

#endif // MIDISYSTEMPROBE_H
