#pragma once

#include "midilib_data.h"
#include "midilib_event.h"
#include "midilib_parser.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Cuts a MIDI byte stream, given in chunks of any size, into messages. System
// Exclusive of any size up to a limit is collected here; everything else goes
// through the message library's parser, with its running status and its
// tolerance: real-time bytes come out at once, also from inside System
// Exclusive; a status byte other than F7 ends a System Exclusive message
// unfinished, which is dropped; bytes that belong to no message are dropped.
class MidiStreamReader
{
public:
    enum class Result {
        // *message holds the next message.
        Message,
        // A System Exclusive message longer than the limit ended and was dropped.
        TooLong,
        // The chunk is used up.
        End,
    };

    struct Message
    {
        // For System Exclusive the type alone: the bytes are in data.
        const midilib_event* event;
        // Valid until the next call.
        const unsigned char* data;
        std::size_t size;
    };

    explicit MidiStreamReader(std::size_t systemExclusiveLimit);

    MidiStreamReader(const MidiStreamReader&) = delete;
    MidiStreamReader& operator=(const MidiStreamReader&) = delete;

    void setSystemExclusiveLimit(std::size_t limit);
    // The next chunk; the caller keeps it valid until next() gives End.
    void setData(const unsigned char* data, std::size_t size);
    // Inline for the common case, a message the parser completes: the receive
    // path runs it for every message.
    Result next(Message* message)
    {
        if (m_position < m_parserEnd && midilib_parser_parse(&m_parser, &m_event) == 0)
            return parsedMessage(message);
        return nextAfterStretch(message);
    }
    // Forgets the message in progress and the running status.
    void clear();
    void clearRunningStatus();
    // Drops a System Exclusive message in progress, whose middle went missing;
    // true when there was one.
    bool abandonSystemExclusive();

    // The System Exclusive message in progress, as far as it arrived (up to
    // the limit); after one that ended unfinished, what it had until the next
    // begins.
    bool inSystemExclusive() const { return m_inExclusive; }
    const unsigned char* systemExclusiveData() const { return m_exclusive.data(); }
    std::size_t systemExclusiveSize() const { return m_exclusive.size(); }
    // The message in progress is longer than the limit.
    bool systemExclusiveOverflowed() const { return m_overflow; }
    // System Exclusive messages that another status byte ended unfinished,
    // since the reader was made; the last one's bytes stay until the next.
    std::uint64_t unfinishedCount() const { return m_unfinished; }

private:
    // The message the parser completed last.
    Result parsedMessage(Message* message)
    {
        std::size_t size = 0;
        const unsigned char* bytes = midilib_parser_lastMessage(&m_parser, &size);
        *message = Message{&m_event, bytes, size};
        return Result::Message;
    }
    // The parser used up the stretch it was given, or had none.
    Result nextAfterStretch(Message* message);
    Result takeExclusiveBytes(Message* message);
    Result endExclusive(bool complete, Message* message);
    void releaseLargeBuffer();

    midilib_parser m_parser;
    midilib_event m_event;
    const unsigned char* m_pInput;
    std::size_t m_inputSize;
    std::size_t m_position;
    // End of the stretch the parser has been given.
    std::size_t m_parserEnd;
    bool m_inExclusive;
    bool m_overflow;
    std::uint64_t m_unfinished;
    std::size_t m_limit;
    std::vector<unsigned char> m_exclusive;
};
