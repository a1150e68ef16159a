// MIDI Thru of a System Exclusive dump over a real JACK server (dummy driver,
// 64 frames at 48 kHz): a client of the bench's own writes a 64 KiB dump in
// 256-byte pieces at 32,768 B/s (a piece every 375 frames, at exact frames)
// into the engine's input with Thru on, and records the frame at which each
// byte the engine passes on arrives back. Over several runs it prints how long
// after its arrival the first byte went on (target within 5 ms), the median
// and largest delay of any piece, and whether the dump came back whole and
// byte-identical. With JACK_DEFAULT_SERVER set it uses that server, else one
// of its own.
#include "Dumps.h"
#include "JackTestServer.h"

#include "engine/MidiEngine.h"

#include <QCoreApplication>
#include <QTest>

#include <jack/jack.h>
#include <jack/midiport.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <vector>

namespace {

const int SampleRate = 48000;
const int DumpSize = 64 * 1024;
const int PieceSize = 256;
const int BytesPerSecond = 32768;
const jack_nframes_t FramesPerPiece = jack_nframes_t(std::uint64_t(PieceSize) * SampleRate / BytesPerSecond);
const int Runs = 7;
const int MaxEvents = 16384;

// Writes the dump's pieces at their frames into "out" and records what
// arrives at "in": the bytes, and for each event its frame and where its
// bytes begin. Only preallocated memory is touched in the process callback.
struct Feed
{
    static int process(jack_nframes_t frames, void* user)
    {
        static_cast<Feed*>(user)->cycle(frames);
        return 0;
    }

    void cycle(jack_nframes_t frames)
    {
        const jack_nframes_t cycleStart = jack_last_frame_time(client);
        void* out = jack_port_get_buffer(outPort, frames);
        jack_midi_clear_buffer(out);
        if (running.load(std::memory_order_acquire)) {
            // The first piece goes at the start of the first cycle that sees the run.
            if (!started) {
                startFrame = cycleStart;
                started = true;
            }
            const int pieces = DumpSize / PieceSize;
            for (int piece = nextPiece; piece < pieces; piece = ++nextPiece) {
                const jack_nframes_t offset = startFrame + jack_nframes_t(piece) * FramesPerPiece - cycleStart;
                if (offset >= frames)
                    break;
                const auto* bytes = reinterpret_cast<const jack_midi_data_t*>(dump.constData()) + piece * PieceSize;
                if (jack_midi_event_write(out, offset, bytes, PieceSize) != 0) {
                    refused.fetch_add(1, std::memory_order_relaxed);
                }
            }
        }
        void* in = jack_port_get_buffer(inPort, frames);
        const std::uint32_t count = jack_midi_get_event_count(in);
        for (std::uint32_t i = 0; i < count; ++i) {
            jack_midi_event_t event;
            const int n = events.load(std::memory_order_relaxed);
            if (jack_midi_event_get(&event, in, i) != 0 || n >= MaxEvents
                || receivedBytes + int(event.size) > int(received.size())) {
                overflow.store(true, std::memory_order_relaxed);
                continue;
            }
            std::copy(event.buffer, event.buffer + event.size, received.begin() + receivedBytes);
            eventFrames[n] = cycleStart + event.time;
            eventStarts[n] = receivedBytes;
            receivedBytes += int(event.size);
            events.store(n + 1, std::memory_order_release);
        }
    }

    // Clears what arrived and starts the dump at the next cycle.
    void start()
    {
        started = false;
        events.store(0);
        receivedBytes = 0;
        overflow = false;
        refused = 0;
        nextPiece = 0;
        running.store(true, std::memory_order_release);
    }

    jack_client_t* client = nullptr;
    jack_port_t* outPort = nullptr;
    jack_port_t* inPort = nullptr;
    QByteArray dump = systemExclusiveDump(DumpSize);
    std::vector<unsigned char> received = std::vector<unsigned char>(2 * DumpSize);
    std::vector<jack_nframes_t> eventFrames = std::vector<jack_nframes_t>(MaxEvents);
    std::vector<int> eventStarts = std::vector<int>(MaxEvents);
    int receivedBytes = 0;
    int nextPiece = 0;
    // Written by the process callback while running, read once it stopped.
    jack_nframes_t startFrame = 0;
    bool started = false;
    std::atomic<bool> running{false};
    std::atomic<int> events{0};
    std::atomic<bool> overflow{false};
    std::atomic<int> refused{0};
};

double framesToMs(std::int64_t frames)
{
    return double(frames) * 1000.0 / SampleRate;
}

// One dump through Thru: the delay of each piece from its arrival at the
// engine until its first byte came back, in ms; empty when nothing came back.
std::vector<double> runOnce(Feed& feed, bool* identical)
{
    feed.start();
    const int seconds = DumpSize / BytesPerSecond;
    QTest::qWait(seconds * 1000 + 1000);
    feed.running = false;
    const int events = feed.events.load(std::memory_order_acquire);
    *identical = !feed.overflow && feed.refused == 0 && feed.receivedBytes == DumpSize
                 && std::equal(feed.received.begin(), feed.received.begin() + DumpSize, feed.dump.constBegin(),
                               [](unsigned char a, char b) { return a == static_cast<unsigned char>(b); });
    std::vector<double> delays;
    int event = 0;
    for (int piece = 0; piece < DumpSize / PieceSize; ++piece) {
        const int firstByte = piece * PieceSize;
        if (events == 0 || firstByte >= feed.receivedBytes)
            break;
        while (event + 1 < events && feed.eventStarts[event + 1] <= firstByte)
            ++event;
        const jack_nframes_t arrived = feed.startFrame + jack_nframes_t(piece) * FramesPerPiece;
        delays.push_back(framesToMs(std::int32_t(feed.eventFrames[event] - arrived)));
    }
    return delays;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    JackTestServer server;
    if (qEnvironmentVariableIsEmpty("JACK_DEFAULT_SERVER") && !server.start()) {
        std::printf("no JACK server: %s\n", qPrintable(server.log()));
        return 1;
    }
    Feed feed;
    jack_status_t status;
    feed.client = jack_client_open("thru-feed", JackNoStartServer, &status);
    if (feed.client == nullptr) {
        std::printf("the feed could not open a JACK client\n");
        return 1;
    }
    feed.outPort = jack_port_register(feed.client, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    feed.inPort = jack_port_register(feed.client, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    jack_set_process_callback(feed.client, Feed::process, &feed);
    jack_activate(feed.client);

    MidiEngine engine(QStringLiteral("Tarvo Suite"), MidiSystem::Jack);
    engine.setThru(true);
    engine.setMaxSystemExclusive(std::size_t(DumpSize));
    if (!engine.client().serviceAvailable())
        engine.refresh();
    // Ports open by name from the lists last read.
    engine.inputPort().getInputPortNameList(nullptr);
    engine.outputPort().getOutputPortNameList(nullptr);
    if (engine.inputPort().openInputPort(QStringLiteral("thru-feed:out")) != MIDI_RESULT_OK
        || engine.outputPort().openOutputPort(QStringLiteral("thru-feed:in")) != MIDI_RESULT_OK) {
        std::printf("the engine could not open the feed's ports: %s\n", qPrintable(engine.serviceProblem()));
        return 1;
    }
    QTest::qWait(500);
    std::printf("Thru of a %d-byte dump arriving in %d-byte pieces at %d B/s, JACK period %u frames (%.2f ms):\n",
                DumpSize, PieceSize, BytesPerSecond, jack_get_buffer_size(feed.client),
                framesToMs(jack_get_buffer_size(feed.client)));
    for (int run = 1; run <= Runs; ++run) {
        bool identical = false;
        std::vector<double> delays = runOnce(feed, &identical);
        if (delays.empty()) {
            std::printf("run %d: nothing came back (%d pieces refused by the feed's port, %d events)\n", run,
                        feed.refused.load(), feed.events.load());
            continue;
        }
        const double first = delays.front();
        std::sort(delays.begin(), delays.end());
        std::printf("run %d: first byte passed on %.3f ms after it arrived (target within 5 ms); each of %zu pieces: "
                    "median %.3f ms, max %.3f ms; %d bytes back, %s\n",
                    run, first, delays.size(), delays[delays.size() / 2], delays.back(), feed.receivedBytes,
                    identical ? "byte-identical" : "NOT IDENTICAL");
    }
    jack_client_close(feed.client);
    return 0;
}
