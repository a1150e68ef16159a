#pragma once

#include <QByteArray>
#include <QVector>

#include <bitset>

// Which notes the messages sent so far left sounding, and on which channels
// a note sounded at all: what must be silenced when playing stops.
class SoundingNotes
{
public:
    SoundingNotes();

    // One whole message that went out.
    void take(const QByteArray& message);
    // A Note Off for every note still on; with allNotesOff, then All Notes
    // Off (controller 123) on every channel on which a note sounded.
    QVector<QByteArray> silencing(bool allNotesOff) const;

private:
    static constexpr int ChannelCount = 16;
    static constexpr int NoteCount = 128;

    std::bitset<NoteCount> m_on[ChannelCount];
    std::bitset<ChannelCount> m_sounded;
};
