#include "cli/MessageCollector.h"

#include <sys/time.h>

namespace {

const unsigned char StartOfExclusive = 0xF0;

} // namespace

MessageCollector::MessageCollector(std::size_t maxSystemExclusive, bool systemExclusiveOnly)
    : m_reader(maxSystemExclusive)
    , m_systemExclusiveOnly(systemExclusiveOnly)
    , m_lost(0)
    , m_tooLong(0)
    , m_announced(false)
{
}

void MessageCollector::received(void* user, const unsigned char* data, std::size_t size)
{
    static_cast<MessageCollector*>(user)->receive(data, size);
}

void MessageCollector::lost(void* user, std::uint64_t count)
{
    auto* collector = static_cast<MessageCollector*>(user);
    // A message that arrived in pieces has lost its middle.
    collector->m_reader.abandonSystemExclusive();
    collector->append(Message(), count, 0);
}

std::vector<MessageCollector::Message> MessageCollector::take(std::uint64_t* lostCount, std::uint64_t* tooLongCount)
{
    std::vector<Message> messages;
    std::lock_guard<std::mutex> lock(m_mutex);
    messages.swap(m_messages);
    *lostCount = m_lost;
    *tooLongCount = m_tooLong;
    m_lost = 0;
    m_tooLong = 0;
    m_announced = false;
    return messages;
}

void MessageCollector::receive(const unsigned char* data, std::size_t size)
{
    struct timeval now;
    gettimeofday(&now, nullptr);
    m_reader.setData(data, size);
    MidiStreamReader::Message message;
    for (MidiStreamReader::Result result = m_reader.next(&message); result != MidiStreamReader::Result::End;
         result = m_reader.next(&message)) {
        if (result == MidiStreamReader::Result::TooLong) {
            append(Message(), 0, 1);
        } else if (!m_systemExclusiveOnly || message.data[0] == StartOfExclusive) {
            append({QByteArray(reinterpret_cast<const char*>(message.data), static_cast<int>(message.size)),
                    static_cast<long>(now.tv_sec), static_cast<long>(now.tv_usec)},
                   0, 0);
        }
    }
}

void MessageCollector::append(Message message, std::uint64_t lostCount, std::uint64_t tooLongCount)
{
    bool announce = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!message.bytes.isEmpty())
            m_messages.push_back(std::move(message));
        m_lost += lostCount;
        m_tooLong += tooLongCount;
        announce = !m_announced;
        m_announced = true;
    }
    if (announce)
        emit arrived();
}
