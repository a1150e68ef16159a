#pragma once

#include <cstddef>

// The timing clock where the platform makes it itself at exact times (JACK:
// in the audio cycle), for the clock window's thread.
class MidiClockIF
{
public:
    virtual ~MidiClockIF() = default;

    virtual bool generatesClock() const = 0;
    // Tempo in tenths of a beat per minute; from the start of the platform's
    // next cycle. With startStop, Start before the first clock and Stop at the end.
    virtual bool startClock(int tempo, bool startStop) = 0;
    // Takes effect at the next clock.
    virtual void setClockTempo(int tempo) = 0;
    virtual void stopClock() = 0;
    // Records the clock messages sent since the last call for the Out
    // Monitor and returns how many timing clocks (F8) they held.
    virtual std::size_t takeSentClocks() = 0;
};
