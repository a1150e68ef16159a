#include "midi/MidiInputPort.h"

namespace {

const char* const InputPortName = "InputPort";
// Room for a burst of several large System Exclusive dumps while the receive
// thread is busy: the platform's MIDI thread drops what does not fit.
const std::size_t ReceiveRingCapacity = 1 << 20;

} // namespace

MidiInputPort::MidiInputPort(MidiClient* client, unsigned short bufferSize)
    : Midi(client, bufferSize)
    , m_pReceiveThread(nullptr)
    , m_inputPort(~MidiPlatformIF::Ref(0))
{
    m_pReceiveThread = new MidiDataTransmissionThread(nullptr, ReceiveRingCapacity);
    MidiPlatformIF::Ref port = MidiPlatformIF::NoRef;
    if (platform().createInputPort(clientRef(), InputPortName, readProc, nullptr, &port)) {
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
    const quint32 index = findPortIndex(MidiEndpointKind::Source, name);
    return index == InvalidPortIndex ? MIDI_RESULT_ERROR : openInputPort(index);
}

MIDI_RESULT MidiInputPort::openInputPort(unsigned int index)
{
    if (m_currentPortIndex != InvalidPortIndex) {
        closeInputPort();
    }
    MidiPlatformIF& midiPlatform = platform();
    if (index >= midiPlatform.endpointCount(MidiEndpointKind::Source)) {
        clearSelection();
        return MIDI_RESULT_ERROR;
    }
    const MidiPlatformIF::Ref source = midiPlatform.endpoint(MidiEndpointKind::Source, index);
    if (source == MidiPlatformIF::NoRef || !midiPlatform.connectSource(m_inputPort, source, m_pReceiveThread)) {
        clearSelection();
        return MIDI_RESULT_ERROR;
    }
    qint32 id = InvalidPortId;
    if (!readUniqueId(source, &id)) {
        // Without its id the source could not be found again to close it.
        midiPlatform.disconnectSource(m_inputPort, source);
        clearSelection();
        return MIDI_RESULT_ERROR;
    }
    m_currentPortIndex = index;
    m_currentPortId = id;
    return MIDI_RESULT_OK;
}

MIDI_RESULT MidiInputPort::closeInputPort()
{
    if (m_currentPortIndex == InvalidPortIndex) {
        return MIDI_RESULT_ERROR;
    }
    // Found by unique id: the source may have moved in the platform's list.
    MidiPlatformIF& midiPlatform = platform();
    const unsigned int count = midiPlatform.endpointCount(MidiEndpointKind::Source);
    for (unsigned int index = 0; index < count; ++index) {
        const MidiPlatformIF::Ref source = midiPlatform.endpoint(MidiEndpointKind::Source, index);
        qint32 id = InvalidPortId;
        if (source == MidiPlatformIF::NoRef || !readUniqueId(source, &id)) {
            break;
        }
        if (id == m_currentPortId) {
            const bool disconnected = midiPlatform.disconnectSource(m_inputPort, source);
            clearSelection();
            return disconnected ? MIDI_RESULT_OK : MIDI_RESULT_ERROR;
        }
    }
    clearSelection();
    return MIDI_RESULT_ERROR;
}

void MidiInputPort::readProc(const MidiPacketList& packets, void*, void* connRefCon)
{
    MidiDataTransmissionThread* receiveThread = static_cast<MidiDataTransmissionThread*>(connRefCon);
    for (std::size_t i = 0; i < packets.count; ++i) {
        receiveThread->writeData(packets.packets[i].data, packets.packets[i].length);
    }
}
