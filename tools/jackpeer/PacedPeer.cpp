#include "PacedPeer.h"

#include "JackCycleLimits.h"

#include <jack/midiport.h>

#include <algorithm>

namespace {

// Room for a dump of 256 KiB to be queued ahead of the cycles, and for what
// arrives between two reads by the owning thread.
const std::size_t OutRingBytes = 1 << 18;
const std::size_t InRingBytes = 1 << 20;
// Cycles after the last piece was written before it surely has arrived: the
// reader may run in the same cycle (jackd) or the next (PipeWire).
const std::uint64_t DeliveryCycles = 4;
// Cycles after a listener was first seen before output goes out: the cycle
// in progress may still run on the graph without the new connection.
const std::uint64_t ConnectionCycles = 2;

typedef std::uint32_t OutputHeader;

struct InputHeader
{
    std::uint64_t microseconds;
    std::uint32_t size;
};

} // namespace

PacedPeer::PacedPeer(const QString& clientName)
{
    jack_status_t status;
    m_pClient = jack_client_open(clientName.toLocal8Bit().constData(), JackNoStartServer, &status);
    if (!m_pClient)
        return;
    m_openedAt = jack_get_time();
    m_sampleRate = jack_get_sample_rate(m_pClient);
    m_pOutRing = jack_ringbuffer_create(OutRingBytes);
    m_pInRing = jack_ringbuffer_create(InRingBytes);
    m_pOut = jack_port_register(m_pClient, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    m_pIn = jack_port_register(m_pClient, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    // jackd calls only the info callback of an inactive client that set both,
    // PipeWire only the plain one, and only while the client is active.
    jack_on_shutdown(m_pClient, [](void* peer) { static_cast<PacedPeer*>(peer)->m_serverGone = true; }, this);
    jack_on_info_shutdown(
        m_pClient, [](jack_status_t, const char*, void* peer) { static_cast<PacedPeer*>(peer)->m_serverGone = true; },
        this);
    if (!m_pOutRing || !m_pInRing || !m_pOut || !m_pIn || jack_set_process_callback(m_pClient, process, this) != 0
        || jack_activate(m_pClient) != 0) {
        jack_client_close(m_pClient);
        m_pClient = nullptr;
    }
}

PacedPeer::~PacedPeer()
{
    // Closing waits for the cycle in progress; no callback runs afterwards.
    if (m_pClient)
        jack_client_close(m_pClient);
    if (m_pOutRing)
        jack_ringbuffer_free(m_pOutRing);
    if (m_pInRing)
        jack_ringbuffer_free(m_pInRing);
}

bool PacedPeer::isOpen() const
{
    return m_pClient != nullptr;
}

bool PacedPeer::isHeard() const
{
    return m_pClient && !m_serverGone && jack_port_connected(m_pOut) > 0;
}

bool PacedPeer::serverGone() const
{
    return m_serverGone;
}

QString PacedPeer::outputPortName() const
{
    return m_pOut ? QString::fromLocal8Bit(jack_port_name(m_pOut)) : QString();
}

QString PacedPeer::inputPortName() const
{
    return m_pIn ? QString::fromLocal8Bit(jack_port_name(m_pIn)) : QString();
}

void PacedPeer::setRate(std::uint64_t bytesPerSecond)
{
    m_bytesPerSecond = bytesPerSecond;
}

void PacedPeer::send(const QByteArray& message)
{
    if (message.isEmpty())
        return;
    m_queue.push_back(message);
    m_queuedMessages += 1;
    m_queuedBytes += static_cast<std::uint64_t>(message.size());
    m_emptied = false;
}

void PacedPeer::pump()
{
    if (!isHeard())
        m_heardSince = NotHeard;
    else if (m_heardSince == NotHeard)
        m_heardSince = m_cycles;
    const bool connected = m_heardSince != NotHeard && m_cycles >= m_heardSince + ConnectionCycles;
    while (connected && !m_queue.empty()) {
        const QByteArray& message = m_queue.front();
        const std::size_t size = static_cast<std::size_t>(message.size());
        const std::size_t room = jack_ringbuffer_write_space(m_pOutRing);
        if (m_frontWritten == 0) {
            // The header goes in with the first piece, so that the callback
            // never takes a short message for one whose bytes are on the way.
            const std::size_t first = std::min(size, PieceBytes);
            if (room < sizeof(OutputHeader) + first)
                break;
            const auto header = static_cast<OutputHeader>(size);
            QByteArray framed(reinterpret_cast<const char*>(&header), sizeof header);
            framed.append(message.constData(), static_cast<int>(first));
            jack_ringbuffer_write(m_pOutRing, framed.constData(), static_cast<std::size_t>(framed.size()));
            m_frontWritten = first;
        } else {
            const std::size_t part = std::min(room, size - m_frontWritten);
            if (part == 0)
                break;
            jack_ringbuffer_write(m_pOutRing, message.constData() + m_frontWritten, part);
            m_frontWritten += part;
        }
        if (m_frontWritten == size) {
            m_queue.pop_front();
            m_frontWritten = 0;
        }
    }
    if (!m_emptied && m_queue.empty() && isOpen() && jack_ringbuffer_read_space(m_pOutRing) == 0) {
        m_emptied = true;
        m_cyclesWhenEmptied = m_cycles;
    }
}

bool PacedPeer::isDone() const
{
    return m_emptied && m_cycles >= m_cyclesWhenEmptied + DeliveryCycles;
}

QList<PacedPeer::Event> PacedPeer::takeReceived()
{
    QList<Event> events;
    InputHeader header;
    while (m_pInRing && jack_ringbuffer_peek(m_pInRing, reinterpret_cast<char*>(&header), sizeof header) == sizeof header
           && jack_ringbuffer_read_space(m_pInRing) >= sizeof header + header.size) {
        jack_ringbuffer_read_advance(m_pInRing, sizeof header);
        QByteArray bytes(static_cast<int>(header.size), Qt::Uninitialized);
        jack_ringbuffer_read(m_pInRing, bytes.data(), header.size);
        events.append(Event{bytes, header.microseconds});
    }
    return events;
}

PacedPeer::Losses PacedPeer::losses() const
{
    Losses losses;
    losses.refusedMessages = m_refusedMessages;
    losses.refusedBytes = m_refusedBytes;
    losses.unsentMessages = m_queuedMessages - m_sentMessages - losses.refusedMessages;
    losses.unsentBytes = m_queuedBytes - m_sentBytes - losses.refusedBytes;
    losses.droppedEvents = m_droppedEvents;
    return losses;
}

int PacedPeer::process(jack_nframes_t frames, void* peer)
{
    PacedPeer* self = static_cast<PacedPeer*>(peer);
    self->readInput(frames);
    self->writeOutput(frames);
    ++self->m_cycles;
    return 0;
}

void PacedPeer::writeOutput(jack_nframes_t frames)
{
    void* buffer = jack_port_get_buffer(m_pOut, frames);
    jack_midi_clear_buffer(buffer);
    std::size_t mostBytes = JackCycleLimits::MostBytes;
    const std::uint64_t rate = m_bytesPerSecond;
    if (rate > 0 && m_sampleRate > 0) {
        // Unused credit piles up to one cycle's share or one piece, not more,
        // so that an idle peer does not burst afterwards.
        const std::uint64_t share = rate * frames;
        m_credit = std::min(m_credit + share, std::max<std::uint64_t>(share, PieceBytes * m_sampleRate));
        mostBytes = std::min(mostBytes, static_cast<std::size_t>(m_credit / m_sampleRate));
    }
    std::size_t events = 0;
    std::size_t bytes = 0;
    while (events < JackCycleLimits::MostEvents) {
        if (m_remaining == 0) {
            OutputHeader size;
            if (jack_ringbuffer_read_space(m_pOutRing) < sizeof size)
                break;
            jack_ringbuffer_read(m_pOutRing, reinterpret_cast<char*>(&size), sizeof size);
            m_remaining = size;
            m_refusing = false;
            continue;
        }
        const std::size_t piece = std::min({m_remaining, PieceBytes, jack_ringbuffer_read_space(m_pOutRing)});
        if (piece == 0)
            break;
        if (m_refusing) {
            jack_ringbuffer_read_advance(m_pOutRing, piece);
            m_remaining -= piece;
            m_refusedBytes += piece;
            continue;
        }
        if (bytes + piece > mostBytes)
            break;
        jack_midi_data_t* data = jack_midi_event_reserve(buffer, 0, piece);
        if (!data) {
            // A full buffer takes the piece next cycle; an empty one never will.
            if (events == 0) {
                m_refusing = true;
                ++m_refusedMessages;
                continue;
            }
            break;
        }
        jack_ringbuffer_read(m_pOutRing, reinterpret_cast<char*>(data), piece);
        m_remaining -= piece;
        m_sentBytes += piece;
        if (m_remaining == 0)
            ++m_sentMessages;
        ++events;
        bytes += piece;
    }
    if (rate > 0)
        m_credit -= std::min<std::uint64_t>(m_credit, std::uint64_t(bytes) * m_sampleRate);
}

void PacedPeer::readInput(jack_nframes_t frames)
{
    void* buffer = jack_port_get_buffer(m_pIn, frames);
    const jack_nframes_t cycleStart = jack_last_frame_time(m_pClient);
    const std::uint32_t count = jack_midi_get_event_count(buffer);
    for (std::uint32_t i = 0; i < count; ++i) {
        jack_midi_event_t event;
        if (jack_midi_event_get(&event, buffer, i) != 0)
            continue;
        if (jack_ringbuffer_write_space(m_pInRing) < sizeof(InputHeader) + event.size) {
            ++m_droppedEvents;
            continue;
        }
        const InputHeader header{jack_frames_to_time(m_pClient, cycleStart + event.time) - m_openedAt,
                                 static_cast<std::uint32_t>(event.size)};
        jack_ringbuffer_write(m_pInRing, reinterpret_cast<const char*>(&header), sizeof header);
        jack_ringbuffer_write(m_pInRing, reinterpret_cast<const char*>(event.buffer), event.size);
    }
}
