#include "engine/MidiStreamReader.h"

#include <algorithm>
#include <cstring>

namespace {

const unsigned char StartOfExclusive = 0xF0;
const unsigned char EndOfExclusive = 0xF7;
const unsigned char FirstRealTime = 0xF8;
const std::size_t KeptCapacity = 1 << 16;

// Bytes the parser keeps inside System Exclusive as if they were data: the
// undefined status bytes.
bool isKeptInsideExclusive(unsigned char byte)
{
    return byte < 0x80u || byte == 0xF4u || byte == 0xF5u || byte == 0xF9u || byte == 0xFDu;
}

} // namespace

MidiStreamReader::MidiStreamReader(std::size_t systemExclusiveLimit)
    : m_pInput(nullptr)
    , m_inputSize(0)
    , m_position(0)
    , m_parserEnd(0)
    , m_inExclusive(false)
    , m_overflow(false)
    , m_unfinished(0)
    , m_limit(systemExclusiveLimit)
{
    midilib_parser_init(&m_parser);
    std::memset(&m_event, 0, sizeof m_event);
}

void MidiStreamReader::setSystemExclusiveLimit(std::size_t limit)
{
    m_limit = limit;
}

void MidiStreamReader::setData(const unsigned char* data, std::size_t size)
{
    releaseLargeBuffer();
    m_pInput = data;
    m_inputSize = size;
    m_position = 0;
    m_parserEnd = 0;
}

void MidiStreamReader::clear()
{
    midilib_parser_clear(&m_parser);
    abandonSystemExclusive();
}

void MidiStreamReader::clearRunningStatus()
{
    midilib_parser_clearRunningStatus(&m_parser);
}

bool MidiStreamReader::abandonSystemExclusive()
{
    const bool wasCollecting = m_inExclusive;
    m_inExclusive = false;
    m_overflow = false;
    m_exclusive.clear();
    return wasCollecting;
}

MidiStreamReader::Result MidiStreamReader::nextAfterStretch(Message* message)
{
    m_position = std::max(m_position, m_parserEnd);
    for (;;) {
        if (m_position < m_parserEnd) {
            // The parser keeps its own cursor over the stretch it was given.
            if (midilib_parser_parse(&m_parser, &m_event) == 0)
                return parsedMessage(message);
            m_position = m_parserEnd;
        }
        if (m_position >= m_inputSize) {
            return Result::End;
        }
        if (m_inExclusive) {
            const Result result = takeExclusiveBytes(message);
            if (result != Result::End)
                return result;
            continue;
        }
        if (m_pInput[m_position] == StartOfExclusive) {
            // As the parser would on F0: the message before and the running status end.
            midilib_parser_clear(&m_parser);
            m_inExclusive = true;
            m_overflow = false;
            m_exclusive.clear();
            m_exclusive.push_back(StartOfExclusive);
            ++m_position;
            continue;
        }
        const void* start = std::memchr(m_pInput + m_position, StartOfExclusive, m_inputSize - m_position);
        m_parserEnd = start ? static_cast<std::size_t>(static_cast<const unsigned char*>(start) - m_pInput) : m_inputSize;
        midilib_parser_setData(&m_parser, m_pInput + m_position, m_parserEnd - m_position);
    }
}

void MidiStreamReader::releaseLargeBuffer()
{
    // A dump's buffer is not kept between dumps.
    if (!m_inExclusive && m_exclusive.capacity() > KeptCapacity)
        std::vector<unsigned char>().swap(m_exclusive);
}

MidiStreamReader::Result MidiStreamReader::takeExclusiveBytes(Message* message)
{
    while (m_position < m_inputSize) {
        std::size_t run = m_position;
        for (;;) {
            run += midilib_dataByteRun(m_pInput + run, m_inputSize - run);
            if (run == m_inputSize || !isKeptInsideExclusive(m_pInput[run]))
                break;
            ++run;
        }
        const std::size_t room = m_limit > m_exclusive.size() ? m_limit - m_exclusive.size() : 0;
        const std::size_t count = run - m_position;
        m_exclusive.insert(m_exclusive.end(), m_pInput + m_position, m_pInput + m_position + std::min(count, room));
        m_overflow = m_overflow || count > room;
        m_position = run;
        if (m_position == m_inputSize)
            return Result::End;
        const unsigned char byte = m_pInput[m_position];
        if (byte == EndOfExclusive) {
            ++m_position;
            return endExclusive(true, message);
        }
        if (byte >= FirstRealTime) {
            // Its own message, in the middle of the System Exclusive one.
            midilib_dataToEvent(&byte, 1, &m_event);
            *message = Message{&m_event, m_pInput + m_position, 1};
            ++m_position;
            return Result::Message;
        }
        // Any other status byte ends the message unfinished and is read anew.
        return endExclusive(false, message);
    }
    return Result::End;
}

MidiStreamReader::Result MidiStreamReader::endExclusive(bool complete, Message* message)
{
    const bool tooLong = m_overflow || (complete && m_exclusive.size() >= m_limit);
    m_inExclusive = false;
    m_overflow = false;
    if (tooLong)
        return Result::TooLong;
    if (!complete) {
        ++m_unfinished;
        return Result::End;
    }
    m_exclusive.push_back(EndOfExclusive);
    m_event.type = MIDILIB_Event_Type_SystemExclusive;
    m_event.channel = MIDILIB_NoChannel;
    m_event.systemExclusive.size = 0;
    *message = Message{&m_event, m_exclusive.data(), m_exclusive.size()};
    return Result::Message;
}
