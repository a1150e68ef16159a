#ifndef MIDI_H
#define MIDI_H

#include "midi/MidiResult.h"
#include "midi/platform/MidiPlatformIF.h"

#include <QList>
#include <QString>

class MidiClient;

// What the input and output ports share: the client, the buffer size, the
// selected endpoint (index and unique id) and the name list of the endpoints
// as last built.
class Midi
{
public:
    Midi(MidiClient* client, unsigned short bufferSize);
    virtual ~Midi();

    Midi(const Midi&) = delete;
    Midi& operator=(const Midi&) = delete;

    // The name of the open endpoint in the name list as last built, or
    // NoAssign. Always MIDI_RESULT_OK.
    MIDI_RESULT getCurrentPortName(QString& name) const;

protected:
    MidiPlatformIF& platform() const;
    MidiPlatformIF::Ref clientRef() const;

    // Rebuilds the name list from the platform's endpoints of kind; an empty
    // list and MIDI_RESULT_ERROR when any read fails.
    const QList<QString>& buildPortNameList(MidiEndpointKind kind, MIDI_RESULT* result);
    // Rebuilds the name list and returns the index of the first entry equal
    // to name, InvalidPortIndex when there is none.
    quint32 findPortIndex(MidiEndpointKind kind, const QString& name);
    bool readUniqueId(MidiPlatformIF::Ref endpoint, qint32* id) const;
    void clearSelection();

    MidiClient* m_pClient;
    qint32 m_bufferSize;
    quint32 m_currentPortIndex;
    qint32 m_currentPortId;
    QList<QString> m_portNameList;
};

#endif // MIDI_H
