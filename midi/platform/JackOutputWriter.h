#ifndef JACKOUTPUTWRITER_H
#define JACKOUTPUTWRITER_H

#include "midi/platform/CRingBuffer.h"
#include "midi/platform/MidiPlatformIF.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

// What the JACK process callback writes to the output port in each cycle:
// the messages senders handed over, at once or at the frame of their due
// time, and the timing clock it makes itself at exact frames of the tempo.
// Messages without a due time never wait behind scheduled ones. A cycle
// carries at most a set number of events and bytes, which every JACK
// implementation delivers whole; the rest waits for the following cycles.
//
// One sending side (serialised by its caller) hands messages and clock
// commands over through lock-free rings; the process callback takes them and
// hands back the clocks it wrote. Nothing here waits or allocates in the
// process callback.
class JackOutputWriter
{
public:
    // What one cycle carries: PipeWire's JACK delivers nothing of a cycle
    // into which more was written.
    static constexpr std::size_t EventsPerCycle = 64;
    static constexpr std::size_t BytesPerCycle = 16384;
    // The largest message or piece a send may hand over.
    static constexpr std::size_t LargestMessage = BytesPerCycle;

    JackOutputWriter();

    JackOutputWriter(const JackOutputWriter&) = delete;
    JackOutputWriter& operator=(const JackOutputWriter&) = delete;

    // Sending side. Whether size more bytes fit the ring now.
    bool hasRoom(std::size_t size) const;
    // Written at the start of the next cycle, after what came before it.
    void queue(const unsigned char* data, std::size_t size);
    // Written one period after dueFrame at the same offset, so that every
    // due time within the period keeps its distance.
    void queueAt(const unsigned char* data, std::size_t size, std::uint32_t dueFrame);
    // Timing clock from the first frame of the next cycle, tempo in tenths of
    // a beat per minute; a change of tempo takes effect at the next clock.
    // With startStop, Start goes before the first clock and Stop at the end.
    void startClock(int tempo, bool startStop);
    void setClockTempo(int tempo);
    void stopClock();
    // Before a new server's first cycle: its frames count anew.
    void restart();
    // Up to capacity clock events written since the last call, oldest first.
    std::size_t takeSentClocks(ClockEvent* events, std::size_t capacity);

    // Messages handed over and those written to the port or dropped, each
    // counted once; dropped messages did not fit the port at all.
    std::uint64_t queuedMessages() const { return m_queued; }
    std::uint64_t finishedMessages() const { return m_written + m_dropped; }
    std::uint64_t droppedMessages() const { return m_dropped + m_droppedClocks; }
    // Bytes queued that no cycle has taken yet: what a server that died kept.
    std::uint64_t unfinishedBytes() const { return m_queuedBytes - m_finishedBytes; }

    // The process callback: fills buffer for the cycle of frames that starts
    // at cycleStart, whose first frame is cycleStartMicroseconds on the
    // monotonic clock.
    void write(void* buffer, std::uint32_t frames, std::uint32_t cycleStart, std::int64_t cycleStartMicroseconds,
               std::uint32_t sampleRate);

private:
    struct ClockCommand
    {
        enum Kind : std::uint32_t { Start, Tempo, Stop };
        Kind kind;
        std::int32_t tempo;
        std::uint32_t startStop;
    };

    // A message read from a ring and not yet written.
    struct Pending
    {
        std::unique_ptr<unsigned char[]> bytes;
        std::uint32_t size = 0;
        std::uint32_t dueFrame = 0;
        bool held = false;
    };

    class Cycle;

    void takeClockCommands(std::uint64_t cycleStart);
    bool takePending(CRingBuffer<unsigned char>& ring, Pending& pending, bool scheduled);
    // The absolute frame of clock k of the current tempo.
    std::uint64_t clockFrame(std::uint64_t k) const;

    CRingBuffer<unsigned char> m_immediateRing;
    CRingBuffer<unsigned char> m_scheduledRing;
    CRingBuffer<ClockCommand> m_clockCommands;
    CRingBuffer<ClockEvent> m_sentClocks;
    std::atomic<std::uint64_t> m_queued;
    std::atomic<std::uint64_t> m_written;
    std::atomic<std::uint64_t> m_dropped;
    std::atomic<std::uint64_t> m_queuedBytes;
    std::atomic<std::uint64_t> m_finishedBytes;
    std::atomic<std::uint64_t> m_droppedClocks;
    std::atomic<bool> m_restarted;

    // Process callback only.
    Pending m_immediate;
    Pending m_scheduled;
    // JACK's 32-bit frame counter, unwrapped.
    std::uint64_t m_frame;
    std::uint32_t m_lastCycleStart;
    bool m_counting;
    bool m_clockRunning;
    bool m_clockStartStop;
    bool m_startDue;
    bool m_stopDue;
    std::int32_t m_tempo;
    std::uint32_t m_sampleRate;
    std::uint64_t m_clockOrigin;
    std::uint64_t m_clocksSinceOrigin;
};

#endif // JACKOUTPUTWRITER_H
