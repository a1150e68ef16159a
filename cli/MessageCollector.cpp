#include "cli/MessageCollector.h"

#include "engine/TimeStamp.h"

namespace {

const char StartOfExclusive = char(0xF0);
const long long MicrosecondsPerSecond = 1000000;

} // namespace

MessageCollector::MessageCollector(bool systemExclusiveOnly)
    : m_systemExclusiveOnly(systemExclusiveOnly)
{
}

void MessageCollector::takeRecords(const MidiRecords& records)
{
    for (const MidiRecord& record : records) {
        switch (record.kind) {
        case MidiRecord::Kind::Message:
            if (!m_systemExclusiveOnly || record.bytes.startsWith(StartOfExclusive)) {
                const long long wall = TimeStamp::wallMicroseconds(record.microseconds);
                m_messages.push_back({record.bytes, long(wall / MicrosecondsPerSecond),
                                      long(wall % MicrosecondsPerSecond), record.microseconds});
            }
            break;
        case MidiRecord::Kind::Lost:
        case MidiRecord::Kind::TooLong:
        case MidiRecord::Kind::CutShort:
        case MidiRecord::Kind::Xrun:
            m_losses.append(record);
            break;
        case MidiRecord::Kind::Failed:
            break;
        }
    }
    if (!records.isEmpty())
        emit arrived();
}

std::vector<MessageCollector::Message> MessageCollector::take(MidiRecords* losses)
{
    std::vector<Message> messages;
    messages.swap(m_messages);
    losses->swap(m_losses);
    m_losses.clear();
    return messages;
}
