#include "engine/MidiEngine.h"

#include "midi/platform/MidiPlatformIF.h"

#include <QByteArray>

namespace {

const std::size_t DefaultMaxSystemExclusive = 1 << 20;
const unsigned char StartOfExclusive = 0xF0;
const unsigned char EndOfExclusive = 0xF7;

} // namespace

MidiEngine::MidiEngine(const QString& clientName)
    : m_analyzer(DefaultMaxSystemExclusive)
    , m_client(clientName)
    , m_inputPort(&m_client)
    , m_outputPort(&m_client)
    , m_maxSystemExclusive(DefaultMaxSystemExclusive)
    , m_ownerThread(std::this_thread::get_id())
{
    m_inputPort.setReceivedMidiCallbackFunc(MidiAnalyzer::callbackReceivedMidi, &m_analyzer,
                                            MidiAnalyzer::callbackLostMidi);
}

MidiEngine::~MidiEngine()
{
    // Nothing is passed on while the ports go.
    m_analyzer.setThru(nullptr, false);
    m_bulkIntervalManager.setEnabledBulkInterval(false);
}

void MidiEngine::setThru(bool on)
{
    m_analyzer.setThru(this, on);
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

bool MidiEngine::transmitMidi(const unsigned char* data, std::size_t size, MidiSendControlIF* control,
                              std::size_t* sent)
{
    std::size_t handed = 0;
    if (sent)
        *sent = 0;
    if (size == 0 || size > m_maxSystemExclusive)
        return false;
    m_bulkIntervalManager.waitBulkBeforeTransmission(data, size);
    const bool mayWait = std::this_thread::get_id() != m_ownerThread;
    const MIDI_RESULT result = m_outputPort.transmitMidi(data, size, control, &handed, mayWait);
    if (sent)
        *sent = handed;
    if (result == MIDI_RESULT_OK) {
        m_analyzer.setTransmittedMidiData(data, size);
        m_bulkIntervalManager.waitBulkAfterTransmission(data, size);
    } else if (handed > 0) {
        // What went out of a message cut short, with the F7 that ended it.
        QByteArray shown(reinterpret_cast<const char*>(data), static_cast<int>(handed));
        if (data[0] == StartOfExclusive)
            shown.append(char(EndOfExclusive));
        const auto* bytes = reinterpret_cast<const unsigned char*>(shown.constData());
        m_analyzer.setTransmittedMidiData(bytes, static_cast<std::size_t>(shown.size()));
        m_bulkIntervalManager.waitBulkAfterTransmission(bytes, static_cast<std::size_t>(shown.size()));
    }
    return result == MIDI_RESULT_OK;
}

bool MidiEngine::transmitMidiAt(const unsigned char* data, std::size_t size, std::int64_t dueMicroseconds)
{
    const bool sent = m_outputPort.transmitMidiAt(data, size, dueMicroseconds) == MIDI_RESULT_OK;
    if (sent)
        m_analyzer.setTransmittedMidiData(data, size, dueMicroseconds);
    return sent;
}

bool MidiEngine::schedulesByDueTime() const
{
    return m_outputPort.schedulesByDueTime();
}

std::int64_t MidiEngine::scheduleStart(std::int64_t nowMicroseconds) const
{
    return m_outputPort.scheduleStart(nowMicroseconds);
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
    return m_client.platform().waitUntilSent(timeoutMilliseconds);
}
