#pragma once

#include <QtGlobal>

// Told on a player's thread about each message it hands over.
class MidiPlayerListenerIF
{
public:
    virtual ~MidiPlayerListenerIF() = default;

    // Message index is about to be handed over, to go out at due (monotonic
    // microseconds): its due time where the platform places it there, else,
    // and for System Exclusive, which goes at once, the time a schedule
    // starting now would give it.
    virtual void aboutToSend(int index, qint64 due) = 0;
    // It was not sent.
    virtual void sendFailed(int index) = 0;
};
