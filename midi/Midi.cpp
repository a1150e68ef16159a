#include "midi/Midi.h"

#include "midi/MidiClient.h"
#include "midi/platform/MidiPlatform.h"

namespace {

// The packet list buffer and the receive ring hold two bytes more than the
// largest message the caller asked for.
const qint32 BufferSizeMargin = 2;

} // namespace

Midi::Midi(MidiClient* client, unsigned short bufferSize)
    : m_pClient(client)
    , m_bufferSize(bufferSize + BufferSizeMargin)
    , m_currentPortIndex(InvalidPortIndex)
    , m_currentPortId(InvalidPortId)
{
}

Midi::~Midi() = default;

MIDI_RESULT Midi::getCurrentPortName(QString& name) const
{
    if (m_currentPortIndex != InvalidPortIndex && m_currentPortIndex < static_cast<quint32>(m_portNameList.size())) {
        name = m_portNameList.at(static_cast<int>(m_currentPortIndex));
    } else {
        name = NoAssign;
    }
    return MIDI_RESULT_OK;
}

MidiPlatformIF& Midi::platform() const
{
    return m_pClient ? m_pClient->platform() : MidiPlatform::current();
}

MidiPlatformIF::Ref Midi::clientRef() const
{
    return m_pClient ? m_pClient->clientRef() : MidiPlatformIF::NoRef;
}

const QList<QString>& Midi::buildPortNameList(MidiEndpointKind kind, MIDI_RESULT* result)
{
    m_portNameList.clear();
    MidiPlatformIF& midiPlatform = platform();
    const unsigned int count = midiPlatform.endpointCount(kind);
    for (unsigned int index = 0; index < count; ++index) {
        const MidiPlatformIF::Ref endpoint = midiPlatform.endpoint(kind, index);
        QString name;
        qint32 id = InvalidPortId;
        if (endpoint == MidiPlatformIF::NoRef || !midiPlatform.endpointName(endpoint, &name) || !readUniqueId(endpoint, &id)) {
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

bool Midi::readUniqueId(MidiPlatformIF::Ref endpoint, qint32* id) const
{
    std::int32_t uniqueId = InvalidPortId;
    if (!platform().endpointUniqueId(endpoint, &uniqueId)) {
        return false;
    }
    *id = uniqueId;
    return true;
}

void Midi::clearSelection()
{
    m_currentPortIndex = InvalidPortIndex;
    m_currentPortId = InvalidPortId;
}
