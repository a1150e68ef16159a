#include "cli/DumpSender.h"

#include "engine/MidiBulkIntervalManager.h"
#include "engine/MidiSenderIF.h"
#include "engine/MidiStreamReader.h"
#include "services/PacedSender.h"

#include <limits>

DumpSender::DumpSender(MidiSenderIF* sender, MidiBulkIntervalManager* pauses, const QList<QByteArray>& inputs,
                       unsigned int bytesPerSecond)
    : m_pSender(sender)
    , m_pPauses(pauses)
    , m_inputs(inputs)
    , m_bytesPerSecond(bytesPerSecond)
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
    m_running = false;
    // A pause under way ends at once; nothing else goes out after it.
    m_pPauses->setEnabledBulkInterval(false);
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
            const bool done = m_pSender->transmitMidi(message.data, message.size, &pacer, &sent);
            m_sent += sent;
            if (!m_running)
                return Outcome::Cancelled;
            if (!done)
                return Outcome::Failed;
        }
    }
    return Outcome::Done;
}
