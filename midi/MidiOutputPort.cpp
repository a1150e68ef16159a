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
    , m_destination(MidiPlatformIF::NoRef)
{
    MidiPlatformIF::Ref port = MidiPlatformIF::NoRef;
    if (platform().createOutputPort(clientRef(), OutputPortName, &port)) {
        m_outputPort = port;
    }
}

MidiOutputPort::~MidiOutputPort()
{
    select(MidiPlatformIF::NoRef, QString());
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
    if (index != InvalidPortIndex && openOutputPort(index) == MIDI_RESULT_OK) {
        return MIDI_RESULT_OK;
    }
    select(MidiPlatformIF::NoRef, name);
    return MIDI_RESULT_ERROR;
}

MIDI_RESULT MidiOutputPort::openOutputPort(unsigned int index)
{
    if (index >= platform().endpointCount(MidiEndpointKind::Destination)) {
        return MIDI_RESULT_ERROR;
    }
    QString name;
    const MidiPlatformIF::Ref destination = readEndpoint(MidiEndpointKind::Destination, index, &name);
    select(destination, destination == MidiPlatformIF::NoRef ? QString() : name);
    return destination == MidiPlatformIF::NoRef ? MIDI_RESULT_ERROR : MIDI_RESULT_OK;
}

MIDI_RESULT MidiOutputPort::closeOutputPort()
{
    if (m_portName.isEmpty()) {
        return MIDI_RESULT_ERROR;
    }
    select(MidiPlatformIF::NoRef, QString());
    return MIDI_RESULT_OK;
}

void MidiOutputPort::refresh(bool endpointsChanged)
{
    if (m_portName.isEmpty() || (!endpointsChanged && m_destination != MidiPlatformIF::NoRef)) {
        return;
    }
    const quint32 index = findPortIndex(MidiEndpointKind::Destination, m_portName);
    QString name;
    const MidiPlatformIF::Ref destination
        = index == InvalidPortIndex ? MidiPlatformIF::NoRef : readEndpoint(MidiEndpointKind::Destination, index, &name);
    select(destination, m_portName);
}

MIDI_RESULT MidiOutputPort::transmitMidi(const unsigned char* data, unsigned short size)
{
    QMutexLocker lock(&m_mutex);
    if (m_destination == MidiPlatformIF::NoRef) {
        return MIDI_RESULT_ERROR;
    }
    if (PacketListHeaderSize + PacketHeaderSize + size > m_bufferSize) {
        return MIDI_RESULT_ERROR;
    }
    return platform().send(m_outputPort, m_destination, data, size) ? MIDI_RESULT_OK : MIDI_RESULT_ERROR;
}

void MidiOutputPort::select(MidiPlatformIF::Ref destination, const QString& name)
{
    QMutexLocker lock(&m_mutex);
    m_destination = destination;
    m_portName = name;
}
