// Feeds random byte streams to the MIDI parser, once whole and once cut into
// chunks chosen by the input, and checks that both give the same messages and
// that every message converts back to bytes that convert again. The program's
// stream reader, which collects System Exclusive of any size around the
// parser, gets the same streams and must agree with itself the same way and
// give only well-formed messages within its limit.

#include <cstdint>
#include <algorithm>
#include <cstdlib>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "midilib.h"
#include "engine/MidiStreamReader.h"

namespace {

using Message = std::vector<uint8_t>;

midilib_parser g_parser;
midilib_event g_event;
midilib_event g_check;
midilib_data g_data;
midilib_data g_checkData;
midilib_filter g_filter;

void require(bool condition)
{
    if (!condition) {
        abort();
    }
}

void collect(const uint8_t *bytes, size_t size, std::vector<Message> &messages)
{
    midilib_parser_setData(&g_parser, bytes, size);
    while (midilib_parser_parse(&g_parser, &g_event) == 0) {
        const int filtered = midilib_filter_apply(&g_filter, &g_event);
        require(filtered == 0 || filtered == -1);
        midilib_eventToData(&g_event, &g_data);
        const uint8_t *memory = midilib_data_getMemory(&g_data);
        const size_t length = midilib_data_getSize(&g_data);
        require(midilib_dataToEvent(memory, length, &g_check) == 0);
        midilib_eventToData(&g_check, &g_checkData);
        require(midilib_data_getSize(&g_checkData) == length);
        const uint8_t *again = midilib_data_getMemory(&g_checkData);
        require(Message(memory, memory + length) == Message(again, again + length));
        // The bytes the parser keeps are the message as its event encodes it.
        size_t keptSize = 0;
        const uint8_t *kept = midilib_parser_lastMessage(&g_parser, &keptSize);
        require(Message(kept, kept + keptSize) == Message(memory, memory + length));
        messages.emplace_back(memory, memory + length);
    }
}

// Every message of the reader: System Exclusive from F0 to F7 with data (or
// the undefined status bytes the parser keeps) between, within the limit;
// anything else one message of the parser's.
void collectWithReader(MidiStreamReader &reader, const uint8_t *bytes, size_t size, size_t limit,
                       std::vector<Message> &messages)
{
    reader.setData(bytes, size);
    MidiStreamReader::Message message;
    for (;;) {
        const MidiStreamReader::Result result = reader.next(&message);
        if (result == MidiStreamReader::Result::End) {
            return;
        }
        if (result == MidiStreamReader::Result::TooLong) {
            messages.emplace_back();
            continue;
        }
        require(message.size > 0);
        const Message bytesOut(message.data, message.data + message.size);
        if (message.event->type == MIDILIB_Event_Type_SystemExclusive) {
            require(message.size >= 2 && message.size <= limit && bytesOut.front() == 0xF0 && bytesOut.back() == 0xF7);
            for (size_t i = 1; i + 1 < message.size; ++i) {
                const uint8_t byte = bytesOut[i];
                require(byte < 0x80 || byte == 0xF4 || byte == 0xF5 || byte == 0xF9 || byte == 0xFD);
            }
        } else {
            require(midilib_dataToEvent(message.data, message.size, &g_check) == 0);
        }
        messages.push_back(bytesOut);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider provider(data, size);
    uint32_t seed = provider.ConsumeIntegral<uint32_t>();
    const size_t maxChunk = provider.ConsumeIntegralInRange<size_t>(1, 4200);
    const std::vector<uint8_t> stream = provider.ConsumeRemainingBytes<uint8_t>();

    midilib_filter_init(&g_filter);
    midilib_filter_setEventSwitch(&g_filter, int(seed % (MIDILIB_Event_Type_Max + 1)), 1);
    midilib_filter_setControllerSwitch(&g_filter, int(seed % (MIDILIB_ControllerNumber_Max + 1)), 1);

    std::vector<Message> whole;
    midilib_parser_init(&g_parser);
    collect(stream.data(), stream.size(), whole);

    std::vector<Message> chunked;
    midilib_parser_init(&g_parser);
    size_t at = 0;
    while (at < stream.size()) {
        seed = seed * 1664525u + 1013904223u;
        size_t chunk = 1 + (seed >> 8) % maxChunk;
        if (chunk > stream.size() - at) {
            chunk = stream.size() - at;
        }
        collect(stream.data() + at, chunk, chunked);
        at += chunk;
    }
    require(whole == chunked);

    // A limit small enough to be crossed often.
    const size_t limit = 2 + seed % 8192;
    std::vector<Message> readWhole;
    MidiStreamReader wholeReader(limit);
    collectWithReader(wholeReader, stream.data(), stream.size(), limit, readWhole);
    std::vector<Message> readChunked;
    MidiStreamReader chunkReader(limit);
    for (at = 0; at < stream.size();) {
        seed = seed * 1664525u + 1013904223u;
        const size_t chunk = std::min(stream.size() - at, 1 + size_t(seed >> 8) % maxChunk);
        collectWithReader(chunkReader, stream.data() + at, chunk, limit, readChunked);
        at += chunk;
    }
    require(readWhole == readChunked);
    return 0;
}
