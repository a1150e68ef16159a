#include "midi/MidiOutputPort.h"

#include "midi/MidiSendControlIF.h"

#include <QMutexLocker>

#include <algorithm>

namespace {

const char* const OutputPortName = "OutputPort";
const char* const VirtualOutputName = "Tarvo Suite Out";

const std::size_t DefaultPieceSize = 256;
const unsigned char EndOfExclusive = 0xF7;
const unsigned char StartOfExclusive = 0xF0;
const unsigned char FirstRealTime = 0xF8;
// How long the GUI thread waits behind the pieces of another message.
const std::chrono::milliseconds GuiWait(20);

} // namespace

MidiOutputPort::MidiOutputPort(MidiClient* client)
    : Midi(client)
    , m_outputPort(~MidiPlatformIF::Ref(0))
    , m_destination(MidiPlatformIF::NoRef)
    , m_pieceSize(DefaultPieceSize)
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
    if (name == QLatin1String(VirtualPort)) {
        return openVirtual();
    }
    const quint32 index = findPortIndex(MidiEndpointKind::Destination, name);
    if (index != InvalidPortIndex && openOutputPort(index) == MIDI_RESULT_OK) {
        return MIDI_RESULT_OK;
    }
    select(MidiPlatformIF::NoRef, name);
    return MIDI_RESULT_ERROR;
}

MIDI_RESULT MidiOutputPort::openOutputPort(unsigned int index)
{
    if (index == VirtualPortIndex) {
        return openVirtual();
    }
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

MIDI_RESULT MidiOutputPort::openVirtual()
{
    // Chosen even when the platform cannot open it yet: refresh() tries again.
    MidiPlatformIF::Ref destination = MidiPlatformIF::NoRef;
    const bool opened = platform().openVirtualOutput(m_outputPort, VirtualOutputName, &destination);
    select(destination, QLatin1String(VirtualPort));
    return opened ? MIDI_RESULT_OK : MIDI_RESULT_ERROR;
}

void MidiOutputPort::refresh(bool endpointsChanged)
{
    if (m_portName == QLatin1String(VirtualPort)) {
        if (m_destination == MidiPlatformIF::NoRef) {
            openVirtual();
        }
        return;
    }
    if (m_portName.isEmpty() || (!endpointsChanged && m_destination != MidiPlatformIF::NoRef)) {
        return;
    }
    const quint32 index = findPortIndex(MidiEndpointKind::Destination, m_portName);
    QString name;
    const MidiPlatformIF::Ref destination
        = index == InvalidPortIndex ? MidiPlatformIF::NoRef : readEndpoint(MidiEndpointKind::Destination, index, &name);
    select(destination, m_portName);
}

MIDI_RESULT MidiOutputPort::transmitMidi(const unsigned char* data, std::size_t size, MidiSendControlIF* control,
                                         std::size_t* sent, bool mayWait)
{
    std::size_t handed = 0;
    MIDI_RESULT result = MIDI_RESULT_ERROR;
    // Real-time bytes may come between the pieces of another message.
    const bool realTime = size == 1 && data[0] >= FirstRealTime;
    std::unique_lock<std::timed_mutex> message(m_messageMutex, std::defer_lock);
    bool admitted = realTime;
    if (!admitted && mayWait) {
        message.lock();
        admitted = true;
    } else if (!admitted) {
        admitted = message.try_lock_for(GuiWait);
    }
    if (admitted) {
        const std::size_t pieceSize = platform().carriesPartialMessages() ? m_pieceSize.load() : size;
        result = MIDI_RESULT_OK;
        while (handed < size) {
            const std::size_t piece = std::min(pieceSize, size - handed);
            if (control && !control->beforePiece(piece)) {
                result = MIDI_RESULT_CANCELLED;
                break;
            }
            if (!sendPiece(data + handed, piece)) {
                result = MIDI_RESULT_ERROR;
                break;
            }
            handed += piece;
            if (control)
                control->afterPiece(piece);
        }
        if (handed > 0 && handed < size && data[0] == StartOfExclusive)
            sendPiece(&EndOfExclusive, 1);
    }
    if (sent)
        *sent = handed;
    return result;
}

MIDI_RESULT MidiOutputPort::transmitMidiAt(const unsigned char* data, std::size_t size, std::int64_t dueMicroseconds)
{
    QMutexLocker lock(&m_mutex);
    return m_destination != MidiPlatformIF::NoRef
            && platform().sendAt(m_outputPort, m_destination, data, size, dueMicroseconds)
        ? MIDI_RESULT_OK
        : MIDI_RESULT_ERROR;
}

bool MidiOutputPort::schedulesByDueTime() const
{
    return platform().schedulesByDueTime();
}

std::int64_t MidiOutputPort::scheduleStart(std::int64_t nowMicroseconds) const
{
    return platform().scheduleStart(nowMicroseconds);
}

void MidiOutputPort::setPieceSize(std::size_t size)
{
    m_pieceSize = std::max<std::size_t>(size, 1);
}

bool MidiOutputPort::sendPiece(const unsigned char* data, std::size_t size)
{
    QMutexLocker lock(&m_mutex);
    return m_destination != MidiPlatformIF::NoRef && platform().send(m_outputPort, m_destination, data, size);
}

void MidiOutputPort::select(MidiPlatformIF::Ref destination, const QString& name)
{
    QMutexLocker lock(&m_mutex);
    if (m_portName == QLatin1String(VirtualPort) && name != QLatin1String(VirtualPort)) {
        platform().closeVirtualOutput(m_outputPort);
    }
    // Connected now, so that the first message, a first clock say, leaves at once.
    platform().selectDestination(m_outputPort, destination);
    m_destination = destination;
    m_portName = name;
}
