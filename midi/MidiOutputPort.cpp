#include "midi/MidiOutputPort.h"

#include <QMutexLocker>

namespace {

const char* const OutputPortName = "OutputPort";

// A packet list starts with a 4-byte packet count; each packet carries an
// 8-byte time stamp and a 2-byte length before its data bytes.
const qint32 PacketListHeaderSize = 4;
const qint32 PacketHeaderSize = 10;

} // namespace

MidiOutputPort::MidiOutputPort(MidiClient* client, unsigned short bufferSize)
    : Midi(client, bufferSize)
    , m_outputPort(~MidiPlatformIF::Ref(0))
    , m_destination(InvalidPortRef)
{
    MidiPlatformIF::Ref port = MidiPlatformIF::NoRef;
    if (platform().createOutputPort(clientRef(), OutputPortName, &port)) {
        m_outputPort = port;
    }
}

MidiOutputPort::~MidiOutputPort()
{
    QMutexLocker lock(&m_mutex);
    dropSelection();
    platform().disposePort(m_outputPort);
}

const QList<QString>& MidiOutputPort::getOutputPortNameList(MIDI_RESULT* result)
{
    return buildPortNameList(MidiEndpointKind::Destination, result);
}

unsigned int MidiOutputPort::getOutputPortCount(MIDI_RESULT* result) const
{
    setMidiResult(result, MIDI_RESULT_OK);
    return platform().endpointCount(MidiEndpointKind::Destination);
}

MIDI_RESULT MidiOutputPort::openOutputPort(const QString& name)
{
    const quint32 index = findPortIndex(MidiEndpointKind::Destination, name);
    return index == InvalidPortIndex ? MIDI_RESULT_ERROR : openOutputPort(index);
}

MIDI_RESULT MidiOutputPort::openOutputPort(unsigned int index)
{
    QMutexLocker lock(&m_mutex);
    MidiPlatformIF& midiPlatform = platform();
    if (index >= midiPlatform.endpointCount(MidiEndpointKind::Destination)) {
        return MIDI_RESULT_ERROR;
    }
    const MidiPlatformIF::Ref destination = midiPlatform.endpoint(MidiEndpointKind::Destination, index);
    qint32 id = InvalidPortId;
    if (destination == MidiPlatformIF::NoRef || !readUniqueId(destination, &id)) {
        dropSelection();
        return MIDI_RESULT_ERROR;
    }
    m_destination = destination;
    m_currentPortIndex = index;
    m_currentPortId = id;
    return MIDI_RESULT_OK;
}

MIDI_RESULT MidiOutputPort::closeOutputPort()
{
    QMutexLocker lock(&m_mutex);
    if (m_destination == InvalidPortRef) {
        return MIDI_RESULT_ERROR;
    }
    dropSelection();
    return MIDI_RESULT_OK;
}

MIDI_RESULT MidiOutputPort::transmitMidi(const unsigned char* data, unsigned short size)
{
    QMutexLocker lock(&m_mutex);
    if (m_currentPortIndex == InvalidPortIndex) {
        return MIDI_RESULT_ERROR;
    }
    if (PacketListHeaderSize + PacketHeaderSize + size > m_bufferSize) {
        return MIDI_RESULT_ERROR;
    }
    return platform().send(m_outputPort, m_destination, data, size) ? MIDI_RESULT_OK : MIDI_RESULT_ERROR;
}

void MidiOutputPort::dropSelection()
{
    m_destination = InvalidPortRef;
    clearSelection();
}
