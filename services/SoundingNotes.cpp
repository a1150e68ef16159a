#include "services/SoundingNotes.h"

namespace {

const quint8 NoteOff = 0x80;
const quint8 NoteOn = 0x90;
const quint8 ControlChange = 0xB0;
const quint8 StatusMask = 0xF0;
const quint8 ChannelMask = 0x0F;
const quint8 AllSoundOff = 120;
const quint8 AllNotesOff = 123;
const int ReleaseVelocity = 0x40;
const int ChannelMessageSize = 3;

QByteArray channelMessage(int status, int data1, int data2)
{
    QByteArray message;
    return message.append(char(status)).append(char(data1)).append(char(data2));
}

} // namespace

SoundingNotes::SoundingNotes() = default;

void SoundingNotes::take(const QByteArray& message)
{
    if (message.size() != ChannelMessageSize)
        return;
    const quint8 status = quint8(message.at(0));
    const int channel = status & ChannelMask;
    const quint8 data1 = quint8(message.at(1));
    const quint8 data2 = quint8(message.at(2));
    switch (status & StatusMask) {
    case NoteOn:
        // A velocity of 0 is a Note Off.
        m_on[channel].set(data1, data2 != 0);
        if (data2 != 0)
            m_sounded.set(channel);
        break;
    case NoteOff:
        m_on[channel].reset(data1);
        break;
    case ControlChange:
        if (data1 == AllSoundOff || data1 == AllNotesOff)
            m_on[channel].reset();
        break;
    default:
        break;
    }
}

QVector<QByteArray> SoundingNotes::silencing(bool allNotesOff) const
{
    QVector<QByteArray> messages;
    for (int channel = 0; channel < ChannelCount; ++channel) {
        for (int note = 0; note < NoteCount; ++note) {
            if (m_on[channel].test(note))
                messages.append(channelMessage(NoteOff | channel, note, ReleaseVelocity));
        }
    }
    for (int channel = 0; allNotesOff && channel < ChannelCount; ++channel) {
        if (m_sounded.test(channel))
            messages.append(channelMessage(ControlChange | channel, AllNotesOff, 0));
    }
    return messages;
}
