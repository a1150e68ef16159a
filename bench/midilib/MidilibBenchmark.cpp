// Throughput of the receive path of the MIDI library: parse, convert to an
// event, filter, convert back to bytes. Figures are input bytes per second.
// Beside it, in the same run, ALSA's byte-stream encoder (snd_midi_event_encode)
// on the same streams, and the program's stream reader, which assembles
// System Exclusive of any size around the parser. Target: the library parser
// at least twice ALSA's speed on 3-byte channel messages.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "midilib.h"
#include "engine/MidiStreamReader.h"

#include <alsa/asoundlib.h>

namespace {

constexpr size_t StreamSize = 1 << 20;
// Bytes handed to the parser per call, like one platform packet.
constexpr size_t PacketSize = 1024;

std::vector<uint8_t> channelMessages(bool runningStatus)
{
    static const uint8_t statuses[] = { 0x80, 0x90, 0xA0, 0xB0, 0xE0 };
    std::mt19937 random(7);
    std::vector<uint8_t> stream;
    uint8_t status = 0;
    while (stream.size() + 3 <= StreamSize) {
        // With running status a status byte comes once per 64 messages.
        if (!runningStatus || stream.size() % (64 * 2) < 2) {
            status = uint8_t(statuses[random() % 5] | (random() % 16));
            stream.push_back(status);
        }
        stream.push_back(uint8_t(random() % 128));
        stream.push_back(uint8_t(random() % 128));
    }
    return stream;
}

std::vector<uint8_t> systemExclusiveMessages()
{
    std::vector<uint8_t> stream;
    std::mt19937 random(11);
    while (stream.size() + 4096 <= StreamSize) {
        stream.push_back(0xF0);
        for (int i = 0; i < 4094; ++i) {
            stream.push_back(uint8_t(random() % 128));
        }
        stream.push_back(0xF7);
    }
    return stream;
}

// Hands the stream over in packets and counts the messages cut from it.
template <typename PerPacket>
void measure(benchmark::State &state, const std::vector<uint8_t> &stream, PerPacket perPacket)
{
    size_t messages = 0;
    for (auto _ : state) {
        for (size_t at = 0; at < stream.size(); at += PacketSize) {
            messages += perPacket(stream.data() + at, std::min(PacketSize, stream.size() - at));
        }
        benchmark::DoNotOptimize(messages);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(stream.size()));
    state.counters["messages/s"] = benchmark::Counter(double(messages), benchmark::Counter::kIsRate);
}

// The receive path: parse, filter, convert back to bytes.
void receivePath(benchmark::State &state, const std::vector<uint8_t> &stream)
{
    auto parser = std::make_unique<midilib_parser>();
    auto event = std::make_unique<midilib_event>();
    auto data = std::make_unique<midilib_data>();
    midilib_filter filter;
    midilib_filter_init(&filter);
    midilib_filter_setEventSwitch(&filter, MIDILIB_Event_Type_PolyKeyPressure, 1);
    midilib_parser_init(parser.get());
    size_t bytesOut = 0;
    measure(state, stream, [&](const uint8_t *bytes, size_t size) {
        size_t messages = 0;
        midilib_parser_setData(parser.get(), bytes, size);
        while (midilib_parser_parse(parser.get(), event.get()) == 0) {
            ++messages;
            if (midilib_filter_apply(&filter, event.get()) == 0) {
                midilib_eventToData(event.get(), data.get());
                bytesOut += midilib_data_getSize(data.get());
            }
        }
        return messages;
    });
    benchmark::DoNotOptimize(bytesOut);
}

// The parser alone, as ALSA's encoder does no more than cut messages.
void BM_ParserChannelMessages(benchmark::State &state)
{
    static const std::vector<uint8_t> stream = channelMessages(false);
    auto parser = std::make_unique<midilib_parser>();
    auto event = std::make_unique<midilib_event>();
    midilib_parser_init(parser.get());
    measure(state, stream, [&](const uint8_t *bytes, size_t size) {
        size_t messages = 0;
        midilib_parser_setData(parser.get(), bytes, size);
        while (midilib_parser_parse(parser.get(), event.get()) == 0) {
            ++messages;
        }
        return messages;
    });
}

void alsaEncoder(benchmark::State &state, const std::vector<uint8_t> &stream)
{
    snd_midi_event_t *encoder = nullptr;
    snd_midi_event_new(4096, &encoder);
    measure(state, stream, [encoder](const uint8_t *bytes, size_t size) {
        size_t messages = 0;
        long left = long(size);
        while (left > 0) {
            snd_seq_event_t event;
            const long used = snd_midi_event_encode(encoder, bytes, left, &event);
            if (used <= 0) {
                break;
            }
            messages += event.type != SND_SEQ_EVENT_NONE ? 1 : 0;
            bytes += used;
            left -= used;
        }
        return messages;
    });
    snd_midi_event_free(encoder);
}

void streamReader(benchmark::State &state, const std::vector<uint8_t> &stream)
{
    MidiStreamReader reader(1 << 20);
    measure(state, stream, [&reader](const uint8_t *bytes, size_t size) {
        size_t messages = 0;
        reader.setData(bytes, size);
        MidiStreamReader::Message message;
        while (reader.next(&message) == MidiStreamReader::Result::Message) {
            ++messages;
        }
        return messages;
    });
}

void BM_ChannelMessages(benchmark::State &state)
{
    static const std::vector<uint8_t> stream = channelMessages(false);
    receivePath(state, stream);
}

void BM_ChannelMessagesRunningStatus(benchmark::State &state)
{
    static const std::vector<uint8_t> stream = channelMessages(true);
    receivePath(state, stream);
}

void BM_SystemExclusive4K(benchmark::State &state)
{
    static const std::vector<uint8_t> stream = systemExclusiveMessages();
    receivePath(state, stream);
}

void BM_AlsaEncoderChannelMessages(benchmark::State &state)
{
    static const std::vector<uint8_t> stream = channelMessages(false);
    alsaEncoder(state, stream);
}

void BM_AlsaEncoderSystemExclusive4K(benchmark::State &state)
{
    static const std::vector<uint8_t> stream = systemExclusiveMessages();
    alsaEncoder(state, stream);
}

void BM_StreamReaderChannelMessages(benchmark::State &state)
{
    static const std::vector<uint8_t> stream = channelMessages(false);
    streamReader(state, stream);
}

void BM_StreamReaderSystemExclusive4K(benchmark::State &state)
{
    static const std::vector<uint8_t> stream = systemExclusiveMessages();
    streamReader(state, stream);
}

} // namespace

BENCHMARK(BM_ParserChannelMessages)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AlsaEncoderChannelMessages)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AlsaEncoderSystemExclusive4K)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StreamReaderChannelMessages)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StreamReaderSystemExclusive4K)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChannelMessages)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChannelMessagesRunningStatus)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SystemExclusive4K)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
