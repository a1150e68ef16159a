#include "engine/MidiEngine.h"

#include "midi/platform/JackMidiPlatform.h"
#include "midi/platform/MidiPlatform.h"
#include "midi/platform/MidiPlatformIF.h"

namespace {

const std::size_t DefaultMaxSystemExclusive = 1 << 20;
const unsigned char StartOfExclusive = 0xF0;
const unsigned char EndOfExclusive = 0xF7;
const unsigned char FirstRealTime = 0xF8;
const unsigned char TimingClock = 0xF8;
// What the GUI thread sends at once when nothing is in the way: channel and
// short system messages.
const std::size_t LongestImmediateMessage = 3;
// Clock messages taken from the platform at a time.
const std::size_t ClockBatch = 256;
const char* const NoJackServerText = "No JACK server answers (jackd, or PipeWire's JACK through pw-jack).";
const char* const RefusedClientText = "The %1 did not accept the program as a client.";

bool isRealTime(const unsigned char* data, std::size_t size)
{
    return size == 1 && data[0] >= FirstRealTime;
}

} // namespace

bool MidiEngine::Problems::operator==(const Problems& other) const
{
    return failedSends == other.failedSends && cutSends == other.cutSends && lostReceived == other.lostReceived
        && tooLongReceived == other.tooLongReceived && cutReceived == other.cutReceived && xruns == other.xruns;
}

MidiPlatformIF& MidiEngine::choosePlatform(MidiSystem system)
{
    if (MidiPlatformIF* installed = MidiPlatform::installed())
        return *installed;
    m_pOwnPlatform = MidiPlatform::create(system, &m_systemProblem);
    return m_pOwnPlatform ? *m_pOwnPlatform : m_noPlatform;
}

MidiEngine::MidiEngine(const QString& clientName, MidiSystem system)
    : m_system(system)
    , m_platform(choosePlatform(system))
    , m_maxSystemExclusive(DefaultMaxSystemExclusive)
    , m_failedSends(0)
    , m_cutSends(0)
    , m_thruOpen(false)
    , m_ownerThread(std::this_thread::get_id())
    , m_analyzer(DefaultMaxSystemExclusive)
    , m_client(clientName, m_platform)
    , m_outputPort(&m_client)
    , m_inputPort(&m_client)
    , m_queue([this](const QByteArray& message) {
        sendNow(reinterpret_cast<const unsigned char*>(message.constData()), std::size_t(message.size()), nullptr,
                nullptr);
    })
{
    m_inputPort.setReceivedMidiCallbackFunc(MidiAnalyzer::callbackReceivedMidi, &m_analyzer,
                                            MidiAnalyzer::callbackLostMidi);
    m_analyzer.setXrunSource(&m_client.platform());
}

MidiEngine::~MidiEngine()
{
    // Nothing is passed on while the ports go, and no pause holds them up.
    m_analyzer.setThru(nullptr);
    m_bulkIntervalManager.setEnabledBulkInterval(false);
}

void MidiEngine::setThru(bool on)
{
    m_analyzer.setThru(on ? static_cast<MidiThruIF*>(this) : nullptr);
}

void MidiEngine::setMaxSystemExclusive(std::size_t bytes)
{
    m_maxSystemExclusive = bytes;
    m_analyzer.setMaxSystemExclusive(bytes);
}

void MidiEngine::setPieceSize(std::size_t bytes)
{
    m_outputPort.setPieceSize(bytes);
}

void MidiEngine::setBulkInterval(int milliseconds)
{
    m_bulkIntervalManager.setBulkInterval(milliseconds);
}

std::size_t MidiEngine::largestPiece() const
{
    return m_outputPort.largestPiece();
}

bool MidiEngine::transmitMidi(const unsigned char* data, std::size_t size, MidiSendControlIF* control,
                              std::size_t* sent)
{
    if (sent)
        *sent = 0;
    if (size == 0)
        return false;
    if (size > m_maxSystemExclusive) {
        noteOutcome(data, size, MIDI_RESULT_ERROR, 0);
        return false;
    }
    if (std::this_thread::get_id() == m_ownerThread && !control)
        return sendFromOwner(data, size);
    return sendNow(data, size, control, sent);
}

bool MidiEngine::sendNow(const unsigned char* data, std::size_t size, MidiSendControlIF* control, std::size_t* sent)
{
    m_bulkIntervalManager.waitBulkBeforeTransmission(data, size);
    std::size_t handed = 0;
    const MIDI_RESULT result = m_outputPort.transmitMidi(data, size, control, &handed);
    if (sent)
        *sent = handed;
    noteOutcome(data, size, result, handed);
    if (result == MIDI_RESULT_OK)
        m_bulkIntervalManager.waitBulkAfterTransmission(data, size);
    else if (handed > 0 && data[0] == StartOfExclusive)
        m_bulkIntervalManager.waitBulkAfterTransmission(&EndOfExclusive, 1);
    return result == MIDI_RESULT_OK;
}

bool MidiEngine::sendFromOwner(const unsigned char* data, std::size_t size)
{
    const QByteArray message(reinterpret_cast<const char*>(data), int(size));
    const bool immediate = size <= LongestImmediateMessage && data[size - 1] != EndOfExclusive && m_queue.isEmpty();
    if (immediate && isRealTime(data, size) && m_outputPort.hasRoom(size))
        return sendNow(data, size, nullptr, nullptr);
    if (immediate && m_outputPort.tryBeginMessage()) {
        if (m_outputPort.hasRoom(size)) {
            std::size_t handed = 0;
            const MIDI_RESULT result = m_outputPort.sendPieces(data, size, nullptr, &handed);
            m_outputPort.endMessage(result != MIDI_RESULT_OK);
            noteOutcome(data, size, result, handed);
            if (result == MIDI_RESULT_OK)
                m_queue.noteSent(message);
            return result == MIDI_RESULT_OK;
        }
        m_outputPort.endMessage(false);
    }
    if (m_queue.push(message))
        return true;
    noteOutcome(data, size, MIDI_RESULT_ERROR, 0);
    return false;
}

void MidiEngine::noteOutcome(const unsigned char* data, std::size_t size, MIDI_RESULT result, std::size_t sent)
{
    if (result == MIDI_RESULT_OK) {
        m_analyzer.setTransmittedMidiData(data, size);
        return;
    }
    if (result == MIDI_RESULT_ERROR)
        ++m_failedSends;
    if (sent > 0 && data[0] == StartOfExclusive) {
        // What went out of a message cut short, with the F7 that ended it.
        if (result == MIDI_RESULT_ERROR)
            ++m_cutSends;
        QByteArray shown(reinterpret_cast<const char*>(data), int(sent));
        shown.append(char(EndOfExclusive));
        m_analyzer.recordTransmitted(MidiRecord::Kind::CutShort, sent, shown);
    } else if (result == MIDI_RESULT_ERROR) {
        m_analyzer.recordTransmitted(MidiRecord::Kind::Failed, sent,
                                     QByteArray(reinterpret_cast<const char*>(data), int(size)));
    }
}

bool MidiEngine::transmitMidiAt(const unsigned char* data, std::size_t size, std::int64_t dueMicroseconds)
{
    if (size == 0)
        return false;
    if (size > m_maxSystemExclusive) {
        noteOutcome(data, size, MIDI_RESULT_ERROR, 0);
        return false;
    }
    std::size_t sent = 0;
    const MIDI_RESULT result = m_outputPort.transmitMidiAt(data, size, dueMicroseconds, &sent);
    if (result != MIDI_RESULT_OK) {
        noteOutcome(data, size, result, sent);
        return false;
    }
    m_analyzer.setTransmittedMidiData(data, size, dueMicroseconds);
    return true;
}

bool MidiEngine::schedulesByDueTime() const
{
    return m_outputPort.schedulesByDueTime();
}

std::int64_t MidiEngine::scheduleStart(std::int64_t nowMicroseconds) const
{
    return m_outputPort.scheduleStart(nowMicroseconds);
}

bool MidiEngine::generatesClock() const
{
    return m_outputPort.generatesClock();
}

bool MidiEngine::startClock(int tempo, bool startStop)
{
    if (m_outputPort.startClock(tempo, startStop))
        return true;
    ++m_failedSends;
    m_analyzer.recordTransmitted(MidiRecord::Kind::Failed, 0, QByteArray(1, char(TimingClock)));
    return false;
}

void MidiEngine::setClockTempo(int tempo)
{
    m_outputPort.setClockTempo(tempo);
}

void MidiEngine::stopClock()
{
    m_outputPort.stopClock();
}

std::size_t MidiEngine::takeSentClocks()
{
    ClockEvent events[ClockBatch];
    std::size_t clocks = 0;
    for (std::size_t count = ClockBatch; count == ClockBatch;) {
        count = m_outputPort.takeSentClocks(events, ClockBatch);
        for (std::size_t i = 0; i < count; ++i) {
            m_analyzer.setTransmittedMidiData(&events[i].status, 1, events[i].microseconds);
            clocks += events[i].status == TimingClock ? 1 : 0;
        }
    }
    return clocks;
}

void MidiEngine::passMessage(const unsigned char* data, std::size_t size)
{
    sendNow(data, size, nullptr, nullptr);
}

bool MidiEngine::passPiece(const unsigned char* data, std::size_t size)
{
    if (!m_thruOpen) {
        m_outputPort.beginMessage();
        m_thruOpen = true;
        m_thruBytes.clear();
    }
    std::size_t handed = 0;
    const MIDI_RESULT result = m_outputPort.sendPieces(data, size, nullptr, &handed);
    m_thruBytes.append(reinterpret_cast<const char*>(data), int(handed));
    if (result == MIDI_RESULT_OK)
        return true;
    ++m_failedSends;
    endPieces(false);
    return false;
}

void MidiEngine::endPieces(bool complete)
{
    if (!m_thruOpen)
        return;
    m_outputPort.endMessage(!complete);
    m_thruOpen = false;
    const auto* bytes = reinterpret_cast<const unsigned char*>(m_thruBytes.constData());
    if (complete) {
        m_analyzer.setTransmittedMidiData(bytes, std::size_t(m_thruBytes.size()));
        m_bulkIntervalManager.waitBulkAfterTransmission(bytes, std::size_t(m_thruBytes.size()));
    } else if (!m_thruBytes.isEmpty()) {
        ++m_cutSends;
        m_analyzer.recordTransmitted(MidiRecord::Kind::CutShort, quint64(m_thruBytes.size()),
                                     m_thruBytes + char(EndOfExclusive));
        m_bulkIntervalManager.waitBulkAfterTransmission(&EndOfExclusive, 1);
    }
    m_thruBytes.clear();
}

MidiEngine::Problems MidiEngine::problems() const
{
    Problems problems;
    MidiPlatformIF& platform = m_client.platform();
    problems.failedSends = m_failedSends + platform.droppedMessages();
    problems.cutSends = m_cutSends;
    const MidiAnalyzer::Losses losses = m_analyzer.losses();
    problems.lostReceived = losses.lost;
    problems.tooLongReceived = losses.tooLong;
    problems.cutReceived = losses.cutShort;
    problems.xruns = platform.xrunCount();
    return problems;
}

const char* const MidiEngine::NoSystemName = "none";

QString MidiEngine::systemName() const
{
    if (!m_client.serviceAvailable())
        return QLatin1String(NoSystemName);
    return QLatin1String(m_client.platform().systemName());
}

QString MidiEngine::serviceProblem() const
{
    if (m_client.serviceAvailable())
        return QString();
    if (!m_systemProblem.isEmpty())
        return m_systemProblem;
    // JACK is made without answering and waits for a server; a sequencer
    // answered its probe but may still refuse the client.
    const char* system = m_client.platform().systemName();
    if (QLatin1String(system) == QLatin1String(JackMidiPlatform::SystemName))
        return QLatin1String(NoJackServerText);
    return QString::fromLatin1(RefusedClientText).arg(QLatin1String(system));
}

MidiEngine::OutputProblem MidiEngine::outputProblem()
{
    QString name;
    m_outputPort.getCurrentPortName(name);
    if (name == QLatin1String(NoAssign))
        return OutputProblem::NoPortChosen;
    if (!m_client.serviceAvailable())
        return OutputProblem::ServiceUnavailable;
    return OutputProblem::PortGone;
}

void MidiEngine::refresh()
{
    const bool endpointsChanged = m_client.refresh();
    m_inputPort.refresh(endpointsChanged);
    m_outputPort.refresh(endpointsChanged);
}

bool MidiEngine::waitUntilSent(int timeoutMilliseconds)
{
    MidiPlatformIF& platform = m_client.platform();
    const std::uint64_t dropped = platform.droppedMessages();
    return platform.waitUntilSent(timeoutMilliseconds) && platform.droppedMessages() == dropped;
}
