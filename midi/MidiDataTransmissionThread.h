#ifndef MIDIDATATRANSMISSIONTHREAD_H
#define MIDIDATATRANSMISSIONTHREAD_H

#include "midi/platform/CRingBuffer.h"

#include <QThread>

#include <semaphore.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>

// microseconds: when the bytes arrived, on the monotonic clock (SteadyClock.h).
using ReceivedMidiCallbackFunc = void (*)(void* user, const unsigned char* data, std::size_t size,
                                          std::int64_t microseconds);
// Told on the receive thread how many messages were dropped since the last call.
using LostMidiCallbackFunc = void (*)(void* user, std::uint64_t count);

// Hands received messages from the platform's MIDI thread to a callback on a
// thread of its own. The platform thread copies each message as one record (a
// 4-byte length in host byte order, then the bytes) into a lock-free ring and
// after each delivery wakes this thread with a semaphore post, which never
// blocks; this thread takes the records out in arrival order and calls the
// callback once per record. The platform thread never waits: a record that finds no room is
// dropped whole and counted, and the count reaches the lost callback before
// the record that followed the gap, so that a message arriving in pieces is
// known to have lost its middle.
class MidiDataTransmissionThread : public QThread
{
    Q_OBJECT

public:
    // What each record takes in the ring besides its bytes.
    static const std::size_t RecordHeaderSize;

    // Starts the thread at once with a ring of at least capacity bytes.
    MidiDataTransmissionThread(QObject* parent, std::size_t capacity);
    // Stops the thread and discards the records still in the ring.
    ~MidiDataTransmissionThread() override;

    // Until a callback is installed, records stay in the ring.
    void setReceivedMidiCallbackFunc(ReceivedMidiCallbackFunc func, void* user, LostMidiCallbackFunc lost = nullptr);
    // From the platform's MIDI thread: appends one record, or drops and counts
    // it (false) when the ring has no room for it.
    bool writeData(const unsigned char* data, std::size_t size, std::int64_t microseconds);
    // From the platform's MIDI thread after the records of one delivery:
    // wakes this thread, once for all of them, if it sleeps.
    void endDelivery();
    // Messages dropped since the thread started.
    std::uint64_t lostCount() const;

protected:
    void run() override;

private:
    // Moves the oldest record into m_pRecord; false when the ring is empty.
    bool takeRecord(std::uint32_t* size, std::int64_t* microseconds, bool* afterGap);

    CRingBuffer<unsigned char> m_ring;
    sem_t m_wakeUp;
    std::atomic<bool> m_stop;
    // Set by the receive thread before it waits; the writer that clears it posts.
    std::atomic<bool> m_readerSleeping;
    std::atomic<std::uint64_t> m_lost;
    // Writer only: a record was dropped since the last one written.
    bool m_gap;
    // Guards the callbacks between the GUI thread and the receive thread; the
    // platform thread never takes it.
    std::mutex m_callbackMutex;
    ReceivedMidiCallbackFunc m_pCallbackFunc;
    LostMidiCallbackFunc m_pLostFunc;
    void* m_pCallbackUser;
    // The record being delivered; the callback does not keep the pointer.
    unsigned char* m_pRecord;
};

#endif // MIDIDATATRANSMISSIONTHREAD_H
