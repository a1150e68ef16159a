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
    // Selects the first destination of that exact name; one that is not
    // there (an error) stays chosen and is selected by refresh() when it appears.
    MIDI_RESULT openOutputPort(const QString& name);
    // An index beyond the count keeps the previous selection.
    MIDI_RESULT openOutputPort(unsigned int index);
    MIDI_RESULT closeOutputPort();
    // Follows the chosen destination by name: sends fail while it is gone and
    // reach it again when a destination of its name is back.
    // Looks only when the endpoints changed or the chosen one is missing.
    void refresh(bool endpointsChanged);
    // Sends one message unchanged to the selected destination. A message must
    // fit one packet list of the buffer size: at most bufferSize + 2 - 14 bytes
    // (4084 for a buffer size of 4096).
    MIDI_RESULT transmitMidi(const unsigned char* data, unsigned short size);

private:
    void select(MidiPlatformIF::Ref destination, const QString& name);

    // Guards the selection against the sending threads; never held while
    // waiting for anything but the platform's send.
    QMutex m_mutex;
    MidiPlatformIF::Ref m_outputPort;
    // NoRef while nothing is chosen or the chosen one is gone.
    MidiPlatformIF::Ref m_destination;
};

#endif // MIDIOUTPUTPORT_H
