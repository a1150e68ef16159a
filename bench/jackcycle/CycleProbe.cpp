#include "CycleProbe.h"

#include <jack/midiport.h>

#include <chrono>
#include <cstring>
#include <thread>

namespace {

const std::chrono::milliseconds Poll(2);
const std::chrono::seconds CycleTimeout(3);
// PipeWire may hand an event on a cycle later than jackd does.
const std::uint64_t SettleCycles = 4;
const std::uint64_t PeriodSettleCycles = 32;
const std::chrono::milliseconds RateWindow(500);

// The bytes of the index-th event of a trial, so that a lost, cut or moved
// event shows: a clock, a note-on carrying the index (never with velocity 0,
// which PipeWire turns into a note-off), or System Exclusive carrying it in
// its first two data bytes.
void fillEvent(std::size_t index, std::size_t size, unsigned char* bytes)
{
    const auto low = static_cast<unsigned char>(index & 0x7F);
    const auto high = static_cast<unsigned char>((index >> 7) & 0x7F);
    if (size == 1) {
        bytes[0] = 0xF8;
    } else if (size == 3) {
        bytes[0] = 0x90;
        bytes[1] = low;
        bytes[2] = static_cast<unsigned char>(0x40 | (high & 0x3F));
    } else {
        for (std::size_t k = 3; k + 1 < size; ++k)
            bytes[k] = static_cast<unsigned char>((index * 3 + k) & 0x7F);
        bytes[0] = 0xF0;
        bytes[1] = low;
        bytes[2] = high;
        bytes[size - 1] = 0xF7;
    }
}

} // namespace

CycleProbe::CycleProbe()
{
    jack_status_t status;
    m_pWriter = jack_client_open("cycle-writer", JackNoStartServer, &status);
    m_pReader = jack_client_open("cycle-reader", JackNoStartServer, &status);
    if (!m_pWriter || !m_pReader)
        return;
    m_pOut = jack_port_register(m_pWriter, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    m_pIn = jack_port_register(m_pReader, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    m_connected = m_pOut && m_pIn && jack_set_process_callback(m_pWriter, writerProcess, this) == 0
        && jack_set_process_callback(m_pReader, readerProcess, this) == 0 && jack_activate(m_pWriter) == 0
        && jack_activate(m_pReader) == 0 && jack_connect(m_pWriter, jack_port_name(m_pOut), jack_port_name(m_pIn)) == 0;
}

CycleProbe::~CycleProbe()
{
    if (m_pWriter)
        jack_client_close(m_pWriter);
    if (m_pReader)
        jack_client_close(m_pReader);
}

bool CycleProbe::isReady() const
{
    return m_connected;
}

std::uint32_t CycleProbe::sampleRate() const
{
    return m_pWriter ? jack_get_sample_rate(m_pWriter) : 0;
}

std::uint32_t CycleProbe::setPeriod(std::uint32_t frames)
{
    if (jack_set_buffer_size(m_pWriter, frames) == 0) {
        const auto deadline = std::chrono::steady_clock::now() + CycleTimeout;
        while (jack_get_buffer_size(m_pWriter) != frames && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(Poll);
    }
    // Cycles of the old period may still be in flight, and PipeWire may
    // switch its quantum a few cycles after it reports the new one.
    waitForReaderCycles(PeriodSettleCycles);
    return jack_get_buffer_size(m_pWriter);
}

double CycleProbe::cyclesPerSecond()
{
    const std::uint64_t before = m_readerCycles;
    const auto start = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(RateWindow);
    const std::uint64_t cycles = m_readerCycles - before;
    return cycles / std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

bool CycleProbe::run(std::size_t count, std::size_t eventSize, Trial* trial)
{
    if (!m_connected || eventSize == 0 || eventSize > LargestEvent)
        return false;
    // Nothing is in flight between trials, so the reader's counts are ours to reset.
    m_received = 0;
    m_intact = 0;
    m_mostInOneCycle = 0;
    m_eventSize = eventSize;
    m_requestedCount = count;
    m_state = Requested;
    const auto deadline = std::chrono::steady_clock::now() + CycleTimeout;
    while (m_state != Written && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(Poll);
    if (m_state != Written) {
        m_state = Idle;
        return false;
    }
    const bool settled = waitForReaderCycles(SettleCycles);
    m_state = Idle;
    trial->written = m_written;
    trial->received = m_received;
    trial->intact = m_intact;
    trial->mostInOneCycle = m_mostInOneCycle;
    trial->bufferBytes = m_bufferBytes;
    return settled;
}

bool CycleProbe::echo(const unsigned char* bytes, std::size_t size, std::vector<unsigned char>* arrived)
{
    if (size == 0 || size > LargestEvent)
        return false;
    std::memcpy(m_echoBytes, bytes, size);
    m_echoSize = size;
    Trial trial;
    const bool ran = run(1, size, &trial);
    m_echoSize = 0;
    arrived->clear();
    if (trial.received > 0)
        arrived->assign(m_firstArrived, m_firstArrived + m_firstArrivedSize);
    return ran;
}

bool CycleProbe::waitForReaderCycles(std::uint64_t cycles)
{
    const std::uint64_t until = m_readerCycles + cycles;
    const auto deadline = std::chrono::steady_clock::now() + CycleTimeout;
    while (m_readerCycles < until && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(Poll);
    return m_readerCycles >= until;
}

int CycleProbe::writerProcess(jack_nframes_t frames, void* probe)
{
    CycleProbe* self = static_cast<CycleProbe*>(probe);
    void* buffer = jack_port_get_buffer(self->m_pOut, frames);
    jack_midi_clear_buffer(buffer);
    if (self->m_state != Requested)
        return 0;
    const std::size_t size = self->m_eventSize;
    const std::size_t count = self->m_requestedCount;
    self->m_bufferBytes = jack_midi_max_event_size(buffer);
    std::size_t written = 0;
    const bool echo = self->m_echoSize > 0;
    for (; written < count; ++written) {
        if (!echo)
            fillEvent(written, size, self->m_writeScratch);
        if (jack_midi_event_write(buffer, 0, echo ? self->m_echoBytes : self->m_writeScratch, size) != 0)
            break;
    }
    self->m_written = written;
    self->m_state = Written;
    return 0;
}

int CycleProbe::readerProcess(jack_nframes_t frames, void* probe)
{
    CycleProbe* self = static_cast<CycleProbe*>(probe);
    void* buffer = jack_port_get_buffer(self->m_pIn, frames);
    const std::uint32_t count = jack_midi_get_event_count(buffer);
    ++self->m_readerCycles;
    // The counts are written only when something came: between trials the
    // main thread resets them.
    if (count == 0)
        return 0;
    const std::size_t size = self->m_eventSize;
    std::size_t index = self->m_received;
    std::size_t intact = self->m_intact;
    for (std::uint32_t i = 0; i < count; ++i, ++index) {
        jack_midi_event_t event;
        if (jack_midi_event_get(&event, buffer, i) != 0)
            continue;
        if (index == 0) {
            self->m_firstArrivedSize = event.size < LargestEvent ? event.size : LargestEvent;
            std::memcpy(self->m_firstArrived, event.buffer, self->m_firstArrivedSize);
        }
        fillEvent(index, size, self->m_readScratch);
        if (event.size == size && std::memcmp(event.buffer, self->m_readScratch, size) == 0)
            ++intact;
    }
    self->m_received = index;
    self->m_intact = intact;
    if (count > self->m_mostInOneCycle)
        self->m_mostInOneCycle = count;
    return 0;
}
