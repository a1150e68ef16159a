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

} // namespace

MidiOutputPort::MidiOutputPort(MidiClient* client)
    : Midi(client)
    , m_outputPort(~MidiPlatformIF::Ref(0))
    , m_destination(MidiPlatformIF::NoRef)
    , m_pieceSize(DefaultPieceSize)
    , m_partSent(false)
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
                                         std::size_t* sent)
{
    // Real-time bytes may come between the pieces of another message.
    if (size == 1 && data[0] >= FirstRealTime) {
        const bool done = sendPiece(data, size);
        if (sent)
            *sent = done ? size : 0;
        return done ? MIDI_RESULT_OK : MIDI_RESULT_ERROR;
    }
    beginMessage();
    const MIDI_RESULT result = sendPieces(data, size, control, sent);
    endMessage(result != MIDI_RESULT_OK);
    return result;
}

void MidiOutputPort::beginMessage()
{
    m_messageMutex.lock();
    m_partSent = false;
}

bool MidiOutputPort::tryBeginMessage()
{
    if (!m_messageMutex.try_lock())
        return false;
    m_partSent = false;
    return true;
}

MIDI_RESULT MidiOutputPort::sendPieces(const unsigned char* data, std::size_t size, MidiSendControlIF* control,
                                       std::size_t* sent)
{
    std::size_t handed = 0;
    MIDI_RESULT result = MIDI_RESULT_OK;
    const std::size_t largest = largestPiece();
    const bool inPieces = platform().carriesPartialMessages();
    if (!inPieces && largest > 0 && size > largest) {
        result = MIDI_RESULT_ERROR;
    } else {
        const std::size_t pieceSize = inPieces ? m_pieceSize.load() : size;
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
    }
    if (handed > 0 && data[0] == StartOfExclusive)
        m_partSent = true;
    if (sent)
        *sent = handed;
    return result;
}

void MidiOutputPort::endMessage(bool cutShort)
{
    if (cutShort && m_partSent)
        sendPiece(&EndOfExclusive, 1);
    m_partSent = false;
    m_messageMutex.unlock();
}

bool MidiOutputPort::hasRoom(std::size_t size)
{
    return platform().hasRoom(m_outputPort, size);
}

std::size_t MidiOutputPort::largestPiece() const
{
    return platform().largestPiece();
}

MIDI_RESULT MidiOutputPort::transmitMidiAt(const unsigned char* data, std::size_t size, std::int64_t dueMicroseconds,
                                           std::size_t* sent)
{
    const std::size_t pieceSize = m_pieceSize;
    if (size <= pieceSize || !platform().carriesPartialMessages()) {
        const bool done = sendPieceAt(data, size, dueMicroseconds);
        if (sent)
            *sent = done ? size : 0;
        return done ? MIDI_RESULT_OK : MIDI_RESULT_ERROR;
    }
    // A long message's pieces all at its due time, one after the other,
    // with nothing but real-time bytes between them.
    beginMessage();
    std::size_t handed = 0;
    while (handed < size && sendPieceAt(data + handed, std::min(pieceSize, size - handed), dueMicroseconds))
        handed += std::min(pieceSize, size - handed);
    if (handed > 0 && handed < size && data[0] == StartOfExclusive)
        sendPieceAt(&EndOfExclusive, 1, dueMicroseconds);
    m_partSent = false;
    m_messageMutex.unlock();
    if (sent)
        *sent = handed;
    return handed == size ? MIDI_RESULT_OK : MIDI_RESULT_ERROR;
}

bool MidiOutputPort::sendPieceAt(const unsigned char* data, std::size_t size, std::int64_t dueMicroseconds)
{
    const MidiPlatformIF::Ref destination = currentDestination();
    return destination != MidiPlatformIF::NoRef
        && platform().sendAt(m_outputPort, destination, data, size, dueMicroseconds);
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
    const std::size_t largest = largestPiece();
    m_pieceSize = std::max<std::size_t>(largest > 0 ? std::min(size, largest) : size, 1);
}

bool MidiOutputPort::generatesClock() const
{
    return platform().generatesClock();
}

bool MidiOutputPort::startClock(int tempo, bool startStop)
{
    QMutexLocker lock(&m_mutex);
    return m_destination != MidiPlatformIF::NoRef
        && platform().startClock(m_outputPort, m_destination, tempo, startStop);
}

void MidiOutputPort::setClockTempo(int tempo)
{
    platform().setClockTempo(tempo);
}

void MidiOutputPort::stopClock()
{
    platform().stopClock();
}

std::size_t MidiOutputPort::takeSentClocks(ClockEvent* events, std::size_t capacity)
{
    return platform().takeSentClocks(events, capacity);
}

bool MidiOutputPort::sendPiece(const unsigned char* data, std::size_t size)
{
    const MidiPlatformIF::Ref destination = currentDestination();
    return destination != MidiPlatformIF::NoRef && platform().send(m_outputPort, destination, data, size);
}

MidiPlatformIF::Ref MidiOutputPort::currentDestination()
{
    // A send may wait for room in the platform; the selection, which the GUI
    // thread changes, is never held meanwhile. The platform refuses a
    // destination that has gone since.
    QMutexLocker lock(&m_mutex);
    return m_destination;
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
