#include "midi/MidiInputPort.h"

#include <algorithm>

namespace {

const char* const InputPortName = "InputPort";
const char* const VirtualInputName = "Tarvo Suite In";
// Room for a burst of several large System Exclusive dumps while the receive
// thread is busy: the platform's MIDI thread drops what does not fit.
const std::size_t ReceiveRingCapacity = 1 << 22;
// A platform that hands over a long message whole has it copied in records
// of this size, which the receive thread frees one by one.
const std::size_t LargestRecord = 1 << 16;

} // namespace

MidiInputPort::MidiInputPort(MidiClient* client)
    : Midi(client)
    , m_pReceiveThread(nullptr)
    , m_inputPort(~MidiPlatformIF::Ref(0))
    , m_source(MidiPlatformIF::NoRef)
{
    m_pReceiveThread = new MidiDataTransmissionThread(nullptr, ReceiveRingCapacity);
    MidiPlatformIF::Ref port = MidiPlatformIF::NoRef;
    // Where the platform hands what arrives through connections it did not make.
    if (platform().createInputPort(clientRef(), InputPortName, readProc, m_pReceiveThread, &port)) {
        m_inputPort = port;
    }
}

MidiInputPort::~MidiInputPort()
{
    closeInputPort();
    platform().disposePort(m_inputPort);
    delete m_pReceiveThread;
}

void MidiInputPort::setReceivedMidiCallbackFunc(ReceivedMidiCallbackFunc func, void* user, LostMidiCallbackFunc lost)
{
    m_pReceiveThread->setReceivedMidiCallbackFunc(func, user, lost);
}

const QList<QString>& MidiInputPort::getInputPortNameList(MIDI_RESULT* result)
{
    return buildPortNameList(MidiEndpointKind::Source, result);
}

unsigned int MidiInputPort::getInputPortCount(MIDI_RESULT* result) const
{
    setMidiResult(result, MIDI_RESULT_OK);
    return platform().endpointCount(MidiEndpointKind::Source);
}

MIDI_RESULT MidiInputPort::openInputPort(const QString& name)
{
    if (name == QLatin1String(VirtualPort)) {
        return openVirtual();
    }
    closeInputPort();
    const quint32 index = findPortIndex(MidiEndpointKind::Source, name);
    if (index != InvalidPortIndex && connect(index)) {
        return MIDI_RESULT_OK;
    }
    m_portName = name;
    return MIDI_RESULT_ERROR;
}

MIDI_RESULT MidiInputPort::openInputPort(unsigned int index)
{
    if (index == VirtualPortIndex) {
        return openVirtual();
    }
    closeInputPort();
    return connect(index) ? MIDI_RESULT_OK : MIDI_RESULT_ERROR;
}

MIDI_RESULT MidiInputPort::closeInputPort()
{
    if (m_portName.isEmpty()) {
        return MIDI_RESULT_ERROR;
    }
    // A source that has gone is let go of already.
    const bool disconnected = m_source == MidiPlatformIF::NoRef || platform().disconnectSource(m_inputPort, m_source);
    m_source = MidiPlatformIF::NoRef;
    m_portName.clear();
    return disconnected ? MIDI_RESULT_OK : MIDI_RESULT_ERROR;
}

MIDI_RESULT MidiInputPort::openVirtual()
{
    closeInputPort();
    // Chosen even when the platform cannot open it yet: refresh() tries again.
    m_portName = QLatin1String(VirtualPort);
    MidiPlatformIF::Ref source = MidiPlatformIF::NoRef;
    if (!platform().openVirtualInput(m_inputPort, VirtualInputName, m_pReceiveThread, &source)) {
        return MIDI_RESULT_ERROR;
    }
    m_source = source;
    return MIDI_RESULT_OK;
}

void MidiInputPort::refresh(bool endpointsChanged)
{
    if (m_portName == QLatin1String(VirtualPort)) {
        if (m_source == MidiPlatformIF::NoRef) {
            openVirtual();
        }
        return;
    }
    if (m_portName.isEmpty() || (!endpointsChanged && m_source != MidiPlatformIF::NoRef)) {
        return;
    }
    // A source that went and came back between two looks may be another
    // endpoint now.
    const quint32 index = findPortIndex(MidiEndpointKind::Source, m_portName);
    QString name;
    const MidiPlatformIF::Ref source
        = index == InvalidPortIndex ? MidiPlatformIF::NoRef : readEndpoint(MidiEndpointKind::Source, index, &name);
    if (source != m_source) {
        disconnect();
        if (source != MidiPlatformIF::NoRef) {
            connect(index);
        }
    }
}

bool MidiInputPort::connect(quint32 index)
{
    QString name;
    const MidiPlatformIF::Ref source = readEndpoint(MidiEndpointKind::Source, index, &name);
    if (source == MidiPlatformIF::NoRef || !platform().connectSource(m_inputPort, source, m_pReceiveThread)) {
        return false;
    }
    m_source = source;
    m_portName = name;
    return true;
}

void MidiInputPort::disconnect()
{
    if (m_source != MidiPlatformIF::NoRef) {
        platform().disconnectSource(m_inputPort, m_source);
        m_source = MidiPlatformIF::NoRef;
    }
}

void MidiInputPort::readProc(const MidiPacketList& packets, void*, void* connRefCon)
{
    MidiDataTransmissionThread* receiveThread = static_cast<MidiDataTransmissionThread*>(connRefCon);
    for (std::size_t i = 0; i < packets.count; ++i) {
        const MidiPacket& packet = packets.packets[i];
        for (std::size_t offset = 0; offset < packet.length; offset += LargestRecord) {
            receiveThread->writeData(packet.data + offset, std::min(LargestRecord, packet.length - offset),
                                     packet.microseconds);
        }
    }
    receiveThread->endDelivery();
}
