#ifndef CYCLEPROBE_H
#define CYCLEPROBE_H

#include <jack/jack.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

// Two JACK clients, "cycle-writer" with an output port connected to the input
// port of "cycle-reader". A trial has the writer put up to a number of MIDI
// events of one size into a single cycle, as many as the port takes, and the
// reader count what arrives in the cycles after it and check each event's
// bytes against what was written in its place.
class CycleProbe
{
public:
    struct Trial
    {
        std::size_t written = 0;
        std::size_t received = 0;
        // Received with the size and bytes written in that place.
        std::size_t intact = 0;
        std::size_t mostInOneCycle = 0;
        // What jack_midi_max_event_size said of the empty buffer.
        std::size_t bufferBytes = 0;

        bool whole() const { return received == written && intact == written; }
    };

    static constexpr std::size_t LargestEvent = 1024;
    static constexpr std::size_t AsManyAsFit = ~std::size_t(0);

    CycleProbe();
    ~CycleProbe();

    CycleProbe(const CycleProbe&) = delete;
    CycleProbe& operator=(const CycleProbe&) = delete;

    // Opened, active and connected.
    bool isReady() const;
    std::uint32_t sampleRate() const;
    // Asks the server for this period; the one in force afterwards.
    std::uint32_t setPeriod(std::uint32_t frames);
    // Counted over a while, to tell that the period asked for is the one the
    // graph runs at.
    double cyclesPerSecond();
    // False when the writer's cycle did not come.
    bool run(std::size_t count, std::size_t eventSize, Trial* trial);
    // Writes these bytes as one event; what arrived as the first event, or
    // nothing.
    bool echo(const unsigned char* bytes, std::size_t size, std::vector<unsigned char>* arrived);

private:
    enum State : int { Idle, Requested, Written };

    static int writerProcess(jack_nframes_t frames, void* probe);
    static int readerProcess(jack_nframes_t frames, void* probe);
    bool waitForReaderCycles(std::uint64_t cycles);

    jack_client_t* m_pWriter = nullptr;
    jack_client_t* m_pReader = nullptr;
    jack_port_t* m_pOut = nullptr;
    jack_port_t* m_pIn = nullptr;
    bool m_connected = false;

    std::atomic<int> m_state{Idle};
    std::atomic<std::size_t> m_requestedCount{0};
    std::atomic<std::size_t> m_eventSize{1};
    std::atomic<std::size_t> m_written{0};
    std::atomic<std::size_t> m_bufferBytes{0};
    std::atomic<std::size_t> m_received{0};
    std::atomic<std::size_t> m_intact{0};
    std::atomic<std::size_t> m_mostInOneCycle{0};
    std::atomic<std::uint64_t> m_readerCycles{0};
    // Written and read only while a trial runs, by one side at a time.
    std::atomic<std::size_t> m_echoSize{0};
    unsigned char m_echoBytes[LargestEvent];
    std::size_t m_firstArrivedSize = 0;
    unsigned char m_firstArrived[LargestEvent];
    unsigned char m_writeScratch[LargestEvent];
    unsigned char m_readScratch[LargestEvent];
};

#endif // CYCLEPROBE_H
