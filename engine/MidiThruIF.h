#pragma once

#include <cstddef>

// Where MIDI Thru passes on what arrives: whole messages, and a System
// Exclusive message piece by piece as it arrives. Called on the receive
// thread only.
class MidiThruIF
{
public:
    virtual ~MidiThruIF() = default;

    virtual void passMessage(const unsigned char* data, std::size_t size) = 0;
    // The next piece of the System Exclusive message arriving, F0 first;
    // false when it could not go out, after which nothing more of the
    // message is passed and endPieces has been called.
    virtual bool passPiece(const unsigned char* data, std::size_t size) = 0;
    // After the last piece (complete: it ended with F7), or when the message
    // was cut short, which the output ends with F7.
    virtual void endPieces(bool complete) = 0;
};
