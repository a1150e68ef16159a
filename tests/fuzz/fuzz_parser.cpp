// Feeds random byte streams to the MIDI parser, once whole and once cut into
// chunks chosen by the input, and checks that both give the same messages and
// that every message converts back to bytes that convert again.

#include <cstdint>
#include <cstdlib>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "midilib.h"

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
        messages.emplace_back(memory, memory + length);
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
    return 0;
}
