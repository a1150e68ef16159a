#ifndef MIDIOUTPUTPORT_H
#define MIDIOUTPUTPORT_H

#include "midi/Midi.h"

#include <QMutex>

// The output port: sends to at most one selected platform destination.
// Selecting, closing and sending are serialised by a mutex, because the GUI
// thread and the sending threads all transmit through it.
class MidiOutputPort : public Midi
{
public:
    MidiOutputPort(MidiClient* client, unsigned short bufferSize);
    ~MidiOutputPort() override;

    const QList<QString>& getOutputPortNameList(MIDI_RESULT* result);
    unsigned int getOutputPortCount(MIDI_RESULT* result) const;
    // Selects the first destination of that exact name.
    MIDI_RESULT openOutputPort(const QString& name);
    // An index beyond the count keeps the previous selection.
    MIDI_RESULT openOutputPort(unsigned int index);
    MIDI_RESULT closeOutputPort();
    // Sends one message unchanged to the selected destination. A message must
    // fit one packet list of the buffer size: at most bufferSize + 2 - 14 bytes
    // (4084 for a buffer size of 4096).
    MIDI_RESULT transmitMidi(const unsigned char* data, unsigned short size);

private:
    void dropSelection();

    QMutex m_mutex;
    MidiPlatformIF::Ref m_outputPort;
    quint32 m_destination;
};

#endif // MIDIOUTPUTPORT_H
