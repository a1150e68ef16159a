#include "midi/platform/JackOutputWriter.h"

#include <jack/midiport.h>

#include <algorithm>

namespace {

const std::size_t ImmediateRingCapacity = 1 << 18;
const std::size_t ScheduledRingCapacity = 1 << 16;
const std::size_t ClockCommandCapacity = 64;
const std::size_t SentClockCapacity = 4096;
// Room kept in every cycle for the clock, which never waits behind messages.
const std::size_t ClockEventsPerCycle = 4;
const std::size_t ClockBytesPerCycle = 16;
const unsigned char TimingClock = 0xF8;
const unsigned char StartMessage = 0xFA;
const unsigned char StopMessage = 0xFC;
// Frames between clocks: the sample rate times 60 s / 24 clocks * 10 (tempo in tenths).
const std::uint64_t ClockFramesTimesTempo = 25;
const double MicrosecondsPerSecond = 1e6;

struct RecordHeader
{
    std::uint32_t size;
    std::uint32_t dueFrame;
};

} // namespace

// The events of one cycle, written at offsets that never go back, within
// what a cycle carries.
class JackOutputWriter::Cycle
{
public:
    Cycle(void* buffer, std::uint32_t frames)
        : m_pBuffer(buffer)
        , m_frames(frames)
        , m_lastOffset(0)
        , m_events(0)
        , m_bytes(0)
    {
    }

    std::uint32_t frames() const { return m_frames; }

    // Whether a message of size may still go in this cycle.
    bool takesMessage(std::size_t size) const
    {
        return m_events + 1 + ClockEventsPerCycle <= EventsPerCycle
            && m_bytes + size + ClockBytesPerCycle <= BytesPerCycle;
    }
    bool isEmpty() const { return m_events == 0; }

    // The offset it went at, or -1 when the buffer had no room.
    std::int64_t put(std::uint32_t offset, const unsigned char* data, std::size_t size)
    {
        offset = std::max(std::min(offset, m_frames - 1), m_lastOffset);
        if (jack_midi_event_write(m_pBuffer, offset, data, size) != 0)
            return -1;
        m_lastOffset = offset;
        ++m_events;
        m_bytes += size;
        return offset;
    }

private:
    void* m_pBuffer;
    std::uint32_t m_frames;
    std::uint32_t m_lastOffset;
    std::size_t m_events;
    std::size_t m_bytes;
};

JackOutputWriter::JackOutputWriter()
    : m_immediateRing(ImmediateRingCapacity)
    , m_scheduledRing(ScheduledRingCapacity)
    , m_clockCommands(ClockCommandCapacity)
    , m_sentClocks(SentClockCapacity)
    , m_queued(0)
    , m_written(0)
    , m_dropped(0)
    , m_queuedBytes(0)
    , m_finishedBytes(0)
    , m_droppedClocks(0)
    , m_restarted(false)
    , m_frame(0)
    , m_lastCycleStart(0)
    , m_counting(false)
    , m_clockRunning(false)
    , m_clockStartStop(false)
    , m_startDue(false)
    , m_stopDue(false)
    , m_tempo(1200)
    , m_sampleRate(0)
    , m_clockOrigin(0)
    , m_clocksSinceOrigin(0)
{
    m_immediate.bytes.reset(new unsigned char[LargestMessage]);
    m_scheduled.bytes.reset(new unsigned char[LargestMessage]);
}

bool JackOutputWriter::hasRoom(std::size_t size) const
{
    return m_immediateRing.writable() >= sizeof(RecordHeader) + size
        && m_scheduledRing.writable() >= sizeof(RecordHeader) + size;
}

void JackOutputWriter::queue(const unsigned char* data, std::size_t size)
{
    const RecordHeader header{static_cast<std::uint32_t>(size), 0};
    m_immediateRing.write(reinterpret_cast<const unsigned char*>(&header), sizeof header);
    m_immediateRing.write(data, size);
    m_immediateRing.publish();
    ++m_queued;
    m_queuedBytes += size;
}

void JackOutputWriter::queueAt(const unsigned char* data, std::size_t size, std::uint32_t dueFrame)
{
    const RecordHeader header{static_cast<std::uint32_t>(size), dueFrame};
    m_scheduledRing.write(reinterpret_cast<const unsigned char*>(&header), sizeof header);
    m_scheduledRing.write(data, size);
    m_scheduledRing.publish();
    ++m_queued;
    m_queuedBytes += size;
}

void JackOutputWriter::startClock(int tempo, bool startStop)
{
    const ClockCommand command{ClockCommand::Start, tempo, startStop ? 1u : 0u};
    m_clockCommands.write(&command, 1);
    m_clockCommands.publish();
}

void JackOutputWriter::setClockTempo(int tempo)
{
    const ClockCommand command{ClockCommand::Tempo, tempo, 0};
    m_clockCommands.write(&command, 1);
    m_clockCommands.publish();
}

void JackOutputWriter::stopClock()
{
    const ClockCommand command{ClockCommand::Stop, 0, 0};
    m_clockCommands.write(&command, 1);
    m_clockCommands.publish();
}

void JackOutputWriter::restart()
{
    m_restarted = true;
}

std::size_t JackOutputWriter::takeSentClocks(ClockEvent* events, std::size_t capacity)
{
    const std::size_t count = std::min(capacity, m_sentClocks.readable());
    m_sentClocks.read(events, count);
    m_sentClocks.release();
    return count;
}

std::uint64_t JackOutputWriter::clockFrame(std::uint64_t k) const
{
    return m_clockOrigin + k * m_sampleRate * ClockFramesTimesTempo / std::uint64_t(m_tempo);
}

void JackOutputWriter::takeClockCommands(std::uint64_t cycleStart)
{
    ClockCommand command;
    while (m_clockCommands.readable() > 0) {
        m_clockCommands.read(&command, 1);
        m_clockCommands.release();
        switch (command.kind) {
        case ClockCommand::Start:
            m_clockRunning = true;
            m_clockStartStop = command.startStop != 0;
            m_startDue = m_clockStartStop;
            m_stopDue = false;
            m_tempo = command.tempo;
            m_clockOrigin = cycleStart;
            m_clocksSinceOrigin = 0;
            break;
        case ClockCommand::Tempo:
            // The new interval counts from the last clock sent. When it has
            // passed already, the next clock goes at once and the new grid
            // starts there, so that the one after it is not early.
            if (m_clockRunning && m_clocksSinceOrigin > 0) {
                m_clockOrigin = clockFrame(m_clocksSinceOrigin - 1);
                m_clocksSinceOrigin = 1;
            }
            m_tempo = command.tempo;
            if (m_clockRunning && clockFrame(m_clocksSinceOrigin) < cycleStart) {
                m_clockOrigin = cycleStart;
                m_clocksSinceOrigin = 0;
            }
            break;
        case ClockCommand::Stop:
            m_stopDue = m_clockRunning && m_clockStartStop;
            m_clockRunning = false;
            break;
        }
    }
}

bool JackOutputWriter::takePending(CRingBuffer<unsigned char>& ring, Pending& pending, bool scheduled)
{
    if (pending.held)
        return true;
    if (ring.readable() < sizeof(RecordHeader))
        return false;
    RecordHeader header;
    ring.read(reinterpret_cast<unsigned char*>(&header), sizeof header);
    ring.read(pending.bytes.get(), header.size);
    ring.release();
    pending.size = header.size;
    pending.dueFrame = scheduled ? header.dueFrame : 0;
    pending.held = true;
    return true;
}

void JackOutputWriter::write(void* buffer, std::uint32_t frames, std::uint32_t cycleStart,
                             std::int64_t cycleStartMicroseconds, std::uint32_t sampleRate)
{
    jack_midi_clear_buffer(buffer);
    if (frames == 0)
        return;
    const bool restarted = m_restarted.exchange(false);
    m_frame = m_counting && !restarted ? m_frame + std::uint32_t(cycleStart - m_lastCycleStart) : cycleStart;
    if (restarted && m_clockRunning) {
        // A new server counts frames anew: the clock goes on from here.
        m_clockOrigin = m_frame;
        m_clocksSinceOrigin = 0;
    }
    m_counting = true;
    m_lastCycleStart = cycleStart;
    m_sampleRate = sampleRate;
    takeClockCommands(m_frame);
    Cycle cycle(buffer, frames);
    const double microsecondsPerFrame = MicrosecondsPerSecond / sampleRate;
    const auto noteClock = [&](std::int64_t offset, unsigned char status) {
        if (offset < 0 || m_sentClocks.writable() == 0)
            return;
        const ClockEvent event{cycleStartMicroseconds + std::int64_t(offset * microsecondsPerFrame), status};
        m_sentClocks.write(&event, 1);
        m_sentClocks.publish();
    };
    if (m_startDue) {
        noteClock(cycle.put(0, &StartMessage, 1), StartMessage);
        m_startDue = false;
    }

    // A message that does not fit an empty buffer never will: it is dropped
    // and counted, not waited for.
    const auto writePending = [&](Pending& pending, std::uint32_t offset) {
        if (!cycle.takesMessage(pending.size))
            return false;
        if (cycle.put(offset, pending.bytes.get(), pending.size) < 0) {
            if (!cycle.isEmpty())
                return false;
            ++m_dropped;
        } else {
            ++m_written;
        }
        m_finishedBytes += pending.size;
        pending.held = false;
        return true;
    };
    // Where a scheduled message goes in this cycle; -1 when it is due later.
    const auto scheduledOffset = [&]() -> std::int64_t {
        if (!takePending(m_scheduledRing, m_scheduled, true))
            return -1;
        const auto ahead = static_cast<std::int32_t>(m_scheduled.dueFrame + frames - cycleStart);
        return ahead < static_cast<std::int32_t>(frames) ? std::max(ahead, 0) : -1;
    };
    // Scheduled messages due already go before what was handed over since.
    while (scheduledOffset() == 0 && writePending(m_scheduled, 0)) {
    }
    while (takePending(m_immediateRing, m_immediate, false) && writePending(m_immediate, 0)) {
    }

    // Scheduled messages and clocks in the order of their frames.
    const std::uint64_t cycleEnd = m_frame + frames;
    std::size_t clocks = 0;
    for (;;) {
        const std::int64_t scheduled = scheduledOffset();
        std::int64_t clockOffset = -1;
        if (m_clockRunning) {
            const std::uint64_t frame = clockFrame(m_clocksSinceOrigin);
            if (frame < cycleEnd && clocks == ClockEventsPerCycle) {
                // Cycles were skipped (an overrun): the clocks due meanwhile
                // are lost, counted, and the clock goes on from the next cycle.
                ++m_droppedClocks;
                m_clockOrigin = cycleEnd;
                m_clocksSinceOrigin = 0;
            } else if (frame < cycleEnd) {
                clockOffset = frame > m_frame ? std::int64_t(frame - m_frame) : 0;
            }
        }
        if (clockOffset >= 0 && (scheduled < 0 || clockOffset <= scheduled)) {
            const std::int64_t written = cycle.put(std::uint32_t(clockOffset), &TimingClock, 1);
            if (written < 0)
                ++m_droppedClocks;
            noteClock(written, TimingClock);
            ++m_clocksSinceOrigin;
            ++clocks;
        } else if (scheduled < 0 || !writePending(m_scheduled, std::uint32_t(scheduled))) {
            break;
        }
    }
    if (m_stopDue) {
        noteClock(cycle.put(0, &StopMessage, 1), StopMessage);
        m_stopDue = false;
    }
}
