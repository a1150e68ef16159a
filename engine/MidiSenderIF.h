#pragma once

#include <cstddef>
#include <cstdint>

class MidiSendControlIF;

// What every sender (views, the editor's and the clock's threads, MIDI Thru,
// tarvo-cli) is given to send MIDI through, from any thread.
class MidiSenderIF
{
public:
    virtual ~MidiSenderIF() = default;

    // Sends one whole message; true when all of it was handed to the
    // platform. The control, if any, paces the pieces of a long one and may
    // cancel it; *sent, when given, counts the bytes that went out.
    virtual bool transmitMidi(const unsigned char* data, std::size_t size, MidiSendControlIF* control = nullptr,
                              std::size_t* sent = nullptr) = 0;
    // A message placed at its due time (monotonic microseconds) where the
    // platform can, at once where it cannot; a long one in pieces, all at
    // that time, after the pieces of any message in progress.
    virtual bool transmitMidiAt(const unsigned char* data, std::size_t size, std::int64_t dueMicroseconds) = 0;
    virtual bool schedulesByDueTime() const = 0;
    // The due time of the first message of a schedule that starts now.
    virtual std::int64_t scheduleStart(std::int64_t nowMicroseconds) const = 0;
};
