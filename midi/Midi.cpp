#include "midi/Midi.h"

#include "midi/MidiClient.h"

Midi::Midi(MidiClient* client)
    : m_pClient(client)
{
}

Midi::~Midi() = default;

MIDI_RESULT Midi::getCurrentPortName(QString& name) const
{
    name = m_portName.isEmpty() ? QString::fromLatin1(NoAssign) : m_portName;
    return MIDI_RESULT_OK;
}

MidiPlatformIF& Midi::platform() const
{
    return m_pClient->platform();
}

MidiPlatformIF::Ref Midi::clientRef() const
{
    return m_pClient ? m_pClient->clientRef() : MidiPlatformIF::NoRef;
}

const QList<QString>& Midi::buildPortNameList(MidiEndpointKind kind, MIDI_RESULT* result)
{
    m_portNameList.clear();
    const unsigned int count = platform().endpointCount(kind);
    for (unsigned int index = 0; index < count; ++index) {
        QString name;
        if (readEndpoint(kind, index, &name) == MidiPlatformIF::NoRef) {
            m_portNameList.clear();
            setMidiResult(result, MIDI_RESULT_ERROR);
            return m_portNameList;
        }
        m_portNameList.append(name);
    }
    setMidiResult(result, MIDI_RESULT_OK);
    return m_portNameList;
}

quint32 Midi::findPortIndex(MidiEndpointKind kind, const QString& name)
{
    const int index = buildPortNameList(kind, nullptr).indexOf(name);
    return index < 0 ? InvalidPortIndex : static_cast<quint32>(index);
}

MidiPlatformIF::Ref Midi::readEndpoint(MidiEndpointKind kind, quint32 index, QString* name) const
{
    MidiPlatformIF& midiPlatform = platform();
    const MidiPlatformIF::Ref endpoint = midiPlatform.endpoint(kind, index);
    std::int32_t id = InvalidPortId;
    // An endpoint whose id cannot be read is not one the platform can keep track of.
    if (endpoint == MidiPlatformIF::NoRef || !midiPlatform.endpointName(endpoint, name)
        || !midiPlatform.endpointUniqueId(endpoint, &id)) {
        return MidiPlatformIF::NoRef;
    }
    return endpoint;
}
