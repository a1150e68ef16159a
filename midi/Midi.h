#ifndef MIDI_H
#define MIDI_H

#include "midi/MidiResult.h"
#include "midi/platform/MidiPlatformIF.h"

#include <QList>
#include <QString>

class MidiClient;

// What the input and output ports share: the client, the
// name of the chosen endpoint and the name list of the endpoints as last
// built. A chosen endpoint that goes away stays chosen by its name, so that
// it is reconnected when an endpoint of that name appears again.
class Midi
{
public:
    explicit Midi(MidiClient* client);
    virtual ~Midi();

    Midi(const Midi&) = delete;
    Midi& operator=(const Midi&) = delete;

    // The name of the chosen endpoint, present or not, or NoAssign. Always
    // MIDI_RESULT_OK.
    MIDI_RESULT getCurrentPortName(QString& name) const;
    // Whether an endpoint is chosen, present or not.
    bool isPortChosen() const { return !m_portName.isEmpty(); }

protected:
    MidiPlatformIF& platform() const;
    MidiPlatformIF::Ref clientRef() const;

    // Rebuilds the name list from the platform's endpoints of kind; an empty
    // list and MIDI_RESULT_ERROR when any read fails.
    const QList<QString>& buildPortNameList(MidiEndpointKind kind, MIDI_RESULT* result);
    // Rebuilds the name list and returns the index of the first entry equal
    // to name, InvalidPortIndex when there is none.
    quint32 findPortIndex(MidiEndpointKind kind, const QString& name);
    // The endpoint at index and its name; NoRef when it cannot be read.
    MidiPlatformIF::Ref readEndpoint(MidiEndpointKind kind, quint32 index, QString* name) const;

    MidiClient* m_pClient;
    // Empty when no endpoint is chosen.
    QString m_portName;
    QList<QString> m_portNameList;
};

#endif // MIDI_H
