#ifndef PACEDPEER_H
#define PACEDPEER_H

#include <QByteArray>
#include <QList>
#include <QString>

#include <jack/jack.h>
#include <jack/ringbuffer.h>

#include <atomic>
#include <cstdint>
#include <deque>

// The JACK client of tarvo-jackpeer, with the MIDI ports "out" and "in".
// Messages given to send() leave "out" in pieces of at most PieceBytes, and
// no more per cycle than JackCycleLimits allows, so that every JACK
// implementation delivers them whole; a message longer than a cycle carries
// takes the cycles it needs. Nothing goes out before somebody listens to
// "out". What arrives at "in" is kept with its time until takeReceived().
// The process callback never blocks or allocates: it shares only two
// lock-free rings and counters with the thread that owns the peer.
class PacedPeer
{
public:
    struct Event
    {
        QByteArray bytes;
        // JACK's clock, microseconds since the peer opened.
        std::uint64_t microseconds;
    };

    // What did not make it, so far.
    struct Losses
    {
        // Given to send() and not yet out.
        std::uint64_t unsentMessages = 0;
        std::uint64_t unsentBytes = 0;
        // Refused by "out" although it was empty.
        std::uint64_t refusedMessages = 0;
        std::uint64_t refusedBytes = 0;
        // Arrived at "in" with no room left to keep them.
        std::uint64_t droppedEvents = 0;
    };

    static constexpr std::size_t PieceBytes = 1024;

    explicit PacedPeer(const QString& clientName);
    ~PacedPeer();

    PacedPeer(const PacedPeer&) = delete;
    PacedPeer& operator=(const PacedPeer&) = delete;

    bool isOpen() const;
    bool isHeard() const;
    bool serverGone() const;
    QString outputPortName() const;
    QString inputPortName() const;

    // At most this many bytes a second from now on, for receivers slower than
    // JACK; 0 for as many as each cycle carries.
    void setRate(std::uint64_t bytesPerSecond);
    void send(const QByteArray& message);
    // Hands queued bytes to the process callback as far as its ring has room
    // and somebody listens; call it often.
    void pump();
    // Everything given to send() has been written to "out", and the cycles
    // that carry it have passed.
    bool isDone() const;
    QList<Event> takeReceived();
    Losses losses() const;

private:
    static int process(jack_nframes_t frames, void* peer);
    void writeOutput(jack_nframes_t frames);
    void readInput(jack_nframes_t frames);

    jack_client_t* m_pClient = nullptr;
    jack_port_t* m_pOut = nullptr;
    jack_port_t* m_pIn = nullptr;
    jack_ringbuffer_t* m_pOutRing = nullptr;
    jack_ringbuffer_t* m_pInRing = nullptr;
    jack_time_t m_openedAt = 0;

    // The owning thread's queue; the front message has m_frontWritten bytes
    // in the ring already.
    std::deque<QByteArray> m_queue;
    std::size_t m_frontWritten = 0;
    std::uint64_t m_cyclesWhenEmptied = 0;
    bool m_emptied = true;
    static constexpr std::uint64_t NotHeard = ~std::uint64_t(0);
    // The cycle count when a listener was first seen.
    std::uint64_t m_heardSince = NotHeard;

    // The process callback's own: what is left of the message in progress,
    // whether it is being thrown away, and under a rate, the bytes it may
    // still send, in bytes times the sample rate.
    std::size_t m_remaining = 0;
    bool m_refusing = false;
    std::uint64_t m_credit = 0;
    std::uint64_t m_sampleRate = 0;

    // The owning thread's count of what it was given.
    std::uint64_t m_queuedMessages = 0;
    std::uint64_t m_queuedBytes = 0;

    std::atomic<std::uint64_t> m_bytesPerSecond{0};
    std::atomic<std::uint64_t> m_cycles{0};
    std::atomic<std::uint64_t> m_sentMessages{0};
    std::atomic<std::uint64_t> m_sentBytes{0};
    std::atomic<std::uint64_t> m_refusedMessages{0};
    std::atomic<std::uint64_t> m_refusedBytes{0};
    std::atomic<std::uint64_t> m_droppedEvents{0};
    std::atomic<bool> m_serverGone{false};
};

#endif // PACEDPEER_H
