#include "midi/MidiDataTransmissionThread.h"

#include <QMutexLocker>

#include <algorithm>
#include <cstring>

namespace {

const std::size_t RecordHeaderSize = sizeof(quint16);

} // namespace

MidiDataTransmissionThread::MidiDataTransmissionThread(QObject* parent, unsigned short capacity)
    : QThread(parent)
    , m_stop(false)
    , m_pCallbackFunc(nullptr)
    , m_pCallbackUser(nullptr)
    , m_pRingBuffer(new CRingBuffer<unsigned char>(capacity))
    , m_capacity(capacity)
    , m_lapCounter(0)
    , m_roomNeeded(0)
    , m_readerMayWait(true)
    , m_pRecord(new unsigned char[capacity])
{
    start(QThread::InheritPriority);
}

MidiDataTransmissionThread::~MidiDataTransmissionThread()
{
    if (isRunning()) {
        {
            QMutexLocker waitLock(&m_waitMutex);
            m_pCallbackFunc = nullptr;
            m_pCallbackUser = nullptr;
            {
                QMutexLocker bufferLock(&m_bufferMutex);
                m_stop = true;
                m_roomCondition.wakeAll();
            }
            m_waitCondition.wakeAll();
        }
        wait();
    }
    delete m_pRingBuffer;
    delete[] m_pRecord;
}

void MidiDataTransmissionThread::setReceivedMidiCallbackFunc(ReceivedMidiCallbackFunc func, void* user)
{
    QMutexLocker lock(&m_waitMutex);
    m_pCallbackFunc = func;
    m_pCallbackUser = user;
    // Records that arrived before the callback are delivered now.
    m_waitCondition.wakeAll();
}

void MidiDataTransmissionThread::writeData(const unsigned char* data, std::size_t size)
{
    // Counted in size_t: the record's 16-bit length field can hold any size
    // that passes this test, because the capacity itself is 16-bit.
    const std::size_t needed = size + RecordHeaderSize;
    if (needed > m_capacity) {
        return;
    }
    {
        QMutexLocker lock(&m_bufferMutex);
        while (freeSpace() < needed) {
            if (m_stop) {
                return;
            }
            m_roomNeeded = needed;
            m_roomCondition.wait(&m_bufferMutex);
        }
        if (m_pRingBuffer->writeIndex() + needed > m_capacity) {
            ++m_lapCounter;
        }
        const quint16 length = static_cast<quint16>(size);
        unsigned char header[RecordHeaderSize];
        std::memcpy(header, &length, RecordHeaderSize);
        m_pRingBuffer->write(header, RecordHeaderSize);
        m_pRingBuffer->write(data, size);
    }
    if (m_readerMayWait.load()) {
        QMutexLocker lock(&m_waitMutex);
        m_waitCondition.wakeAll();
        // Woken, the receive thread looks at the ring again before it waits.
        m_readerMayWait = false;
    }
}

bool MidiDataTransmissionThread::isAvailable(std::size_t size)
{
    QMutexLocker lock(&m_bufferMutex);
    return freeSpace() >= size;
}

bool MidiDataTransmissionThread::isEmptyBuffer()
{
    QMutexLocker lock(&m_bufferMutex);
    return ringEmpty();
}

void MidiDataTransmissionThread::run()
{
    m_waitMutex.lock();
    while (!m_stop) {
        m_readerMayWait = true;
        unsigned short size = 0;
        if (!m_pCallbackFunc || !takeRecord(&size)) {
            m_waitCondition.wait(&m_waitMutex);
            continue;
        }
        m_readerMayWait = false;
        const ReceivedMidiCallbackFunc func = m_pCallbackFunc;
        void* const user = m_pCallbackUser;
        m_waitMutex.unlock();

        func(user, m_pRecord, size);

        m_waitMutex.lock();
    }
    m_waitMutex.unlock();
}

std::size_t MidiDataTransmissionThread::freeSpace() const
{
    const std::size_t writeIndex = m_pRingBuffer->writeIndex();
    const std::size_t readIndex = m_pRingBuffer->readIndex();
    return m_lapCounter > 0 ? readIndex - writeIndex : m_capacity - writeIndex + readIndex;
}

bool MidiDataTransmissionThread::ringEmpty() const
{
    return m_lapCounter <= 0 && m_pRingBuffer->writeIndex() == m_pRingBuffer->readIndex();
}

bool MidiDataTransmissionThread::takeRecord(unsigned short* size)
{
    QMutexLocker lock(&m_bufferMutex);
    if (ringEmpty()) {
        return false;
    }
    const std::size_t start = m_pRingBuffer->readIndex();
    unsigned char header[RecordHeaderSize];
    m_pRingBuffer->read(header, RecordHeaderSize);
    quint16 length = 0;
    std::memcpy(&length, header, RecordHeaderSize);
    if (start + RecordHeaderSize + length > m_capacity) {
        --m_lapCounter;
    }
    m_pRingBuffer->read(m_pRecord, length);
    // A waiting writer is woken once half the ring is free (or all it needs,
    // if more): it then writes a batch instead of one record per wake-up.
    if (m_roomNeeded > 0 && freeSpace() >= std::max<std::size_t>(m_roomNeeded, m_capacity / 2)) {
        m_roomNeeded = 0;
        m_roomCondition.wakeAll();
    }
    *size = length;
    return true;
}
