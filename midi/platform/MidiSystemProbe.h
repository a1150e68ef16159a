#ifndef MIDISYSTEMPROBE_H
#define MIDISYSTEMPROBE_H

// Quiet checks for the MIDI systems RtMidi can open. RtMidi reports an
// unavailable system on stderr before its error callback can be installed, and
// the system libraries print diagnostics of their own, so a system is opened
// through RtMidi only after it answered here. The first check silences the
// diagnostics of ALSA and JACK for the whole process: the program logs nothing.
class MidiSystemProbe
{
public:
    static bool alsaSequencerAvailable();
    static bool jackServerAvailable();
};

#endif // MIDISYSTEMPROBE_H
