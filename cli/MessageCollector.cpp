#include "cli/MessageCollector.h"

#include "engine/TimeStamp.h"

namespace {

const char StartOfExclusive = char(0xF0);
const long long MicrosecondsPerSecond = 1000000;

} // namespace

MessageCollector::MessageCollector(bool systemExclusiveOnly)
    : m_systemExclusiveOnly(systemExclusiveOnly)
    , m_lost(0)
    , m_tooLong(0)
{
}

void MessageCollector::takeRecords(const MidiRecords& records)
{
    for (const MidiRecord& record : records) {
        switch (record.kind) {
        case MidiRecord::Kind::Message:
            if (!m_systemExclusiveOnly || record.bytes.startsWith(StartOfExclusive)) {
                const long long wall = TimeStamp::wallMicroseconds(record.microseconds);
                m_messages.push_back(
                    {record.bytes, long(wall / MicrosecondsPerSecond), long(wall % MicrosecondsPerSecond)});
            }
            break;
        case MidiRecord::Kind::Lost:
            m_lost += record.count;
            break;
        case MidiRecord::Kind::TooLong:
            ++m_tooLong;
            break;
        case MidiRecord::Kind::CutShort:
            // A message cut short by another one is lost to the script.
            ++m_lost;
            break;
        case MidiRecord::Kind::Failed:
            break;
        }
    }
    if (!records.isEmpty())
        emit arrived();
}

std::vector<MessageCollector::Message> MessageCollector::take(std::uint64_t* lostCount, std::uint64_t* tooLongCount)
{
    std::vector<Message> messages;
    messages.swap(m_messages);
    *lostCount = m_lost;
    *tooLongCount = m_tooLong;
    m_lost = 0;
    m_tooLong = 0;
    return messages;
}
