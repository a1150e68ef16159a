#ifndef MIDISENDCONTROLIF_H
#define MIDISENDCONTROLIF_H

#include <cstddef>

// Paces a transmission that goes out in pieces: asked before each piece and
// told after it, on the sending thread.
class MidiSendControlIF
{
public:
    virtual ~MidiSendControlIF() = default;

    // May wait (the sender holds no lock then); false cancels the rest.
    virtual bool beforePiece(std::size_t size) = 0;
    // The piece was handed to the platform.
    virtual void afterPiece(std::size_t size) = 0;
};

#endif // MIDISENDCONTROLIF_H
