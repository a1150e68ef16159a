#ifndef MIDIINPUTPORT_H
#define MIDIINPUTPORT_H

#include "midi/Midi.h"
#include "midi/MidiDataTransmissionThread.h"

// The input port: listens to at most one platform source and hands every
// packet it receives to the receive thread, which calls the installed
// callback. Opened and closed from the GUI thread only.
class MidiInputPort : public Midi
{
public:
    // Starts the receive thread.
    explicit MidiInputPort(MidiClient* client);
    ~MidiInputPort() override;

    void setReceivedMidiCallbackFunc(ReceivedMidiCallbackFunc func, void* user, LostMidiCallbackFunc lost = nullptr);

    const QList<QString>& getInputPortNameList(MIDI_RESULT* result);
    unsigned int getInputPortCount(MIDI_RESULT* result) const;
    // Opens the first source of that exact name; one that is not there (an
    // error) stays chosen and is opened by refresh() when it appears.
    // VirtualPort, or VirtualPortIndex, opens the program's own destination
    // "Tarvo Suite In" instead.
    MIDI_RESULT openInputPort(const QString& name);
    MIDI_RESULT openInputPort(unsigned int index);
    MIDI_RESULT closeInputPort();
    // Lets go of a chosen source that has gone and connects it again when a
    // source of its name is back.
    // Looks only when the endpoints changed or the chosen one is missing.
    void refresh(bool endpointsChanged);

private:
    static void readProc(const MidiPacketList& packets, void* readRefCon, void* connRefCon);
    // Connects the source at index and makes it the chosen one.
    bool connect(quint32 index);
    MIDI_RESULT openVirtual();
    void disconnect();

    MidiDataTransmissionThread* m_pReceiveThread;
    MidiPlatformIF::Ref m_inputPort;
    // The connected source; NoRef while the chosen one is gone.
    MidiPlatformIF::Ref m_source;
};

#endif // MIDIINPUTPORT_H
