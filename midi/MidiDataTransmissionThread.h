#ifndef MIDIDATATRANSMISSIONTHREAD_H
#define MIDIDATATRANSMISSIONTHREAD_H

#include "midi/CRingBuffer.h"

#include <QMutex>
#include <QThread>
#include <QWaitCondition>

#include <atomic>
#include <cstddef>

using ReceivedMidiCallbackFunc = void (*)(void* user, const unsigned char* data, unsigned short size);

// Hands received messages from the platform's MIDI thread to a callback on a
// thread of its own. The platform thread copies each message as one record (a
// 2-byte length in host byte order, then the bytes) into a byte ring; this
// thread takes the records out in arrival order and calls the callback once
// per record. A full ring makes the writer wait; nothing is dropped for lack
// of room. Lock order: the wait mutex before the buffer mutex.
class MidiDataTransmissionThread : public QThread
{
    Q_OBJECT

public:
    // Starts the thread at once with a ring of capacity bytes.
    MidiDataTransmissionThread(QObject* parent, unsigned short capacity);
    // Stops the thread and discards the records still in the ring.
    ~MidiDataTransmissionThread() override;

    // Until a callback is installed, records stay in the ring.
    void setReceivedMidiCallbackFunc(ReceivedMidiCallbackFunc func, void* user);
    // Appends one record; a message whose record does not fit the whole ring
    // is dropped. Waits while the ring has no room for it.
    void writeData(const unsigned char* data, std::size_t size);
    bool isAvailable(std::size_t size);
    bool isEmptyBuffer();

protected:
    void run() override;

private:
    std::size_t freeSpace() const;
    bool ringEmpty() const;
    // Moves the oldest record into m_pRecord; false when the ring is empty.
    bool takeRecord(unsigned short* size);

    QWaitCondition m_waitCondition;
    // Written under both mutexes, so either one suffices to read it.
    bool m_stop;
    ReceivedMidiCallbackFunc m_pCallbackFunc;
    void* m_pCallbackUser;
    QMutex m_bufferMutex;
    QMutex m_waitMutex;
    CRingBuffer<unsigned char>* m_pRingBuffer;
    unsigned short m_capacity;
    // 1 while the writer has wrapped past the end of the storage and the
    // reader has not yet followed, 0 otherwise.
    qint8 m_lapCounter;
    // The writer waits here, with the buffer mutex, until the reader has made
    // the room it needs (0 while no writer waits).
    QWaitCondition m_roomCondition;
    std::size_t m_roomNeeded;
    // Set by the receive thread, under the wait mutex, before it looks for a
    // record; cleared when it found one or was signalled. A writer that sees
    // it clear needs not signal: the receive thread will look at the ring
    // again before it waits.
    std::atomic<bool> m_readerMayWait;
    // The record being delivered. The callback does not keep the pointer, so
    // one array of the capacity serves every record.
    unsigned char* m_pRecord;
};

#endif // MIDIDATATRANSMISSIONTHREAD_H
