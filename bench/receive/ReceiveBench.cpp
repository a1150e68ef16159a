// Throughput of the receive path: 3-byte messages written by a producer
// thread (standing in for the platform's MIDI thread) through writeData, the
// ring and the receive thread to the callback. Prints messages per second and
// whether every message arrived in order.
#include "midi/MidiDataTransmissionThread.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

namespace {

const std::uint32_t MessageCount = 5000000;
const std::size_t RingCapacity = 1 << 20; // the main window's input port
const int Rounds = 3;
// The JACK platform hands over at most this many messages at a time.
const std::uint32_t MessagesPerDelivery = 64;

struct Counter
{
    static void callback(void* user, const unsigned char* data, std::size_t size, std::int64_t)
    {
        Counter* self = static_cast<Counter*>(user);
        const std::uint32_t n = self->received.load(std::memory_order_relaxed);
        if (size != 3 || data[0] != (0x90 | (n & 0x0F)) || data[1] != ((n >> 4) & 0x7F) || data[2] != ((n >> 11) & 0x7F)) {
            self->faults++;
        }
        self->received.store(n + 1, std::memory_order_release);
    }

    std::atomic<std::uint32_t> received{0};
    std::uint32_t faults = 0;
};

void runRound(int round)
{
    Counter counter;
    MidiDataTransmissionThread thread(nullptr, RingCapacity);
    thread.setReceivedMidiCallbackFunc(Counter::callback, &counter);

    const auto start = std::chrono::steady_clock::now();
    std::thread producer([&thread] {
        unsigned char message[3];
        for (std::uint32_t n = 0; n < MessageCount; ++n) {
            message[0] = static_cast<unsigned char>(0x90 | (n & 0x0F));
            message[1] = static_cast<unsigned char>((n >> 4) & 0x7F);
            message[2] = static_cast<unsigned char>((n >> 11) & 0x7F);
            thread.writeData(message, sizeof message, n);
            if (n % MessagesPerDelivery == MessagesPerDelivery - 1)
                thread.endDelivery();
        }
        thread.endDelivery();
    });
    producer.join();
    const auto written = std::chrono::steady_clock::now();
    // The writer never waits: what found the ring full was dropped and counted.
    while (counter.received.load(std::memory_order_acquire) + thread.lostCount() < MessageCount) {
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    const auto end = std::chrono::steady_clock::now();

    const double seconds = std::chrono::duration<double>(end - start).count();
    const double writeSeconds = std::chrono::duration<double>(written - start).count();
    std::printf("round %d: %u messages in %.3f s (writer done after %.3f s): %.0f messages/s, %s\n", round,
                MessageCount, seconds, writeSeconds, MessageCount / seconds,
                counter.faults == 0 ? "all delivered in order" : "LOST OR REORDERED");
    std::printf("  dropped for lack of room: %llu\n", static_cast<unsigned long long>(thread.lostCount()));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    std::printf("receive path, %u messages of 3 bytes, ring of %zu bytes, target 500000 messages/s\n", MessageCount,
                RingCapacity);
    for (int round = 1; round <= Rounds; ++round) {
        runRound(round);
    }
    return 0;
}
