// Floods the program's input port over a real JACK server (dummy driver, 64
// frames at 48 kHz) with 3-byte messages from a client of the bench's own,
// at rising numbers of messages per cycle, through the JACK platform, the
// receive ring and the receive thread. For each rate it prints what was sent,
// received and dropped, the overruns JACK reported (for the whole graph; the
// first row, without flood, is the machine's own) and the cycles jackd logged
// our client as not finished; then the highest rate without loss. Target: no
// late cycles of our client at any rate.
#include "JackTestServer.h"

#include "midi/MidiClient.h"
#include "midi/MidiInputPort.h"
#include "midi/platform/JackMidiPlatform.h"
#include "midi/platform/MidiPlatform.h"

#include <QCoreApplication>

#include <jack/jack.h>
#include <jack/midiport.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

namespace {

const int CyclesPerSecond = 48000 / 64;
const int MessagesPerCycle[] = {0, 1, 4, 16, 64, 256, 1024, 2048};
// What jackd logs when our client did not finish a cycle in time.
const char* const LateClientLine = "Tarvo Suite was not finished";
const std::chrono::seconds RoundLength(3);
const std::chrono::milliseconds Settle(500);

// Writes messagesPerCycle note-ons to its output port every cycle while on.
struct Flooder
{
    static int process(jack_nframes_t frames, void* user)
    {
        Flooder* self = static_cast<Flooder*>(user);
        void* buffer = jack_port_get_buffer(self->port, frames);
        jack_midi_clear_buffer(buffer);
        if (!self->on) {
            return 0;
        }
        const int count = self->messagesPerCycle;
        for (int i = 0; i < count; ++i) {
            const jack_midi_data_t note[3] = {0x90, static_cast<jack_midi_data_t>(i & 0x7F), 0x40};
            if (jack_midi_event_write(buffer, static_cast<jack_nframes_t>(i * frames / count), note, 3) != 0) {
                break;
            }
            self->sent.fetch_add(1, std::memory_order_relaxed);
        }
        return 0;
    }

    jack_client_t* client = nullptr;
    jack_port_t* port = nullptr;
    std::atomic<bool> on{false};
    std::atomic<int> messagesPerCycle{0};
    std::atomic<std::uint64_t> sent{0};
};

std::atomic<std::uint64_t> received{0};

void countMessage(void*, const unsigned char*, std::size_t, std::int64_t)
{
    received.fetch_add(1, std::memory_order_relaxed);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    JackTestServer server;
    if (!server.start()) {
        std::printf("%s\n", qPrintable(server.log()));
        return 1;
    }
    JackMidiPlatform platform;
    MidiPlatform::install(&platform);
    {
        MidiClient midiClient(QStringLiteral("Tarvo Suite"), platform);
        MidiInputPort input(&midiClient);
        input.setReceivedMidiCallbackFunc(countMessage, nullptr, [](void*, std::uint64_t) {});

        Flooder flooder;
        jack_status_t status;
        flooder.client = jack_client_open("flooder", JackNoStartServer, &status);
        flooder.port = jack_port_register(flooder.client, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
        jack_set_process_callback(flooder.client, Flooder::process, &flooder);
        jack_activate(flooder.client);
        if (input.openInputPort(QStringLiteral("flooder:out")) != MIDI_RESULT_OK) {
            std::printf("could not connect to the flooder\n");
            return 1;
        }
        std::this_thread::sleep_for(Settle);
        std::printf("JACK flood into the input port: 3-byte messages, dummy driver, 64 frames at 48 kHz\n");
        std::printf("%10s %12s %12s %12s %10s %8s %8s\n", "msgs/cycle", "msgs/s", "sent", "received", "lost", "xruns",
                    "late");
        int highestWithoutLoss = 0;
        for (int perCycle : MessagesPerCycle) {
            const std::uint64_t sentBefore = flooder.sent;
            const std::uint64_t receivedBefore = received;
            const std::uint64_t xrunsBefore = platform.xrunCount();
            const int lateBefore = server.log().count(QLatin1String(LateClientLine));
            flooder.messagesPerCycle = perCycle;
            flooder.on = true;
            std::this_thread::sleep_for(RoundLength);
            flooder.on = false;
            std::this_thread::sleep_for(Settle);
            const std::uint64_t sent = flooder.sent - sentBefore;
            const std::uint64_t got = received - receivedBefore;
            const std::uint64_t xruns = platform.xrunCount() - xrunsBefore;
            const int late = server.log().count(QLatin1String(LateClientLine)) - lateBefore;
            std::printf("%10d %12.0f %12llu %12llu %10llu %8llu %8d\n", perCycle,
                        static_cast<double>(sent) / RoundLength.count(), static_cast<unsigned long long>(sent),
                        static_cast<unsigned long long>(got), static_cast<unsigned long long>(sent - got),
                        static_cast<unsigned long long>(xruns), late);
            if (got == sent && perCycle > 0) {
                highestWithoutLoss = perCycle * CyclesPerSecond;
            }
        }
        std::printf("highest rate without loss: %d messages/s (nominal)\n", highestWithoutLoss);
        jack_client_close(flooder.client);
        input.closeInputPort();
    }
    MidiPlatform::install(nullptr);
    return 0;
}
