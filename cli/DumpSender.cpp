#include "cli/DumpSender.h"

#include "midi/MidiOutputPort.h"
#include "services/MidiStreamReader.h"
#include "services/PacedSender.h"

#include <chrono>
#include <limits>

namespace {

const unsigned char EndOfExclusive = 0xF7;

} // namespace

DumpSender::DumpSender(MidiOutputPort* port, const QList<QByteArray>& inputs, unsigned int bytesPerSecond,
                       int intervalMs)
    : m_pPort(port)
    , m_inputs(inputs)
    , m_bytesPerSecond(bytesPerSecond)
    , m_intervalMs(intervalMs)
    , m_running(true)
    , m_outcome(Outcome::Done)
    , m_sent(0)
{
}

DumpSender::~DumpSender()
{
    cancel();
    wait();
}

void DumpSender::cancel()
{
    std::lock_guard<std::mutex> lock(m_pauseMutex);
    m_running = false;
    m_cancelled.notify_all();
}

DumpSender::Outcome DumpSender::outcome() const
{
    return m_outcome;
}

std::uint64_t DumpSender::sentBytes() const
{
    return m_sent;
}

void DumpSender::run()
{
    m_outcome = send();
}

DumpSender::Outcome DumpSender::send()
{
    // The inputs were checked against the maximum already.
    MidiStreamReader reader(std::numeric_limits<std::size_t>::max());
    PacedSender pacer(m_bytesPerSecond, m_running, PacedSender::ProgressFunction());
    for (const QByteArray& input : m_inputs) {
        reader.clear();
        reader.setData(reinterpret_cast<const unsigned char*>(input.constData()), static_cast<std::size_t>(input.size()));
        MidiStreamReader::Message message;
        while (reader.next(&message) == MidiStreamReader::Result::Message) {
            std::size_t sent = 0;
            const MIDI_RESULT result = m_pPort->transmitMidi(message.data, message.size, &pacer, &sent, true);
            m_sent += sent;
            if (result != MIDI_RESULT_OK)
                return result == MIDI_RESULT_CANCELLED ? Outcome::Cancelled : Outcome::Failed;
            if (message.data[message.size - 1] == EndOfExclusive && !pause())
                return Outcome::Cancelled;
        }
    }
    return Outcome::Done;
}

bool DumpSender::pause()
{
    std::unique_lock<std::mutex> lock(m_pauseMutex);
    return !m_cancelled.wait_for(lock, std::chrono::milliseconds(m_intervalMs), [this] { return !m_running; });
}
