#include "midi/MidiDataTransmissionThread.h"

#include <cerrno>

namespace {

struct RecordHeader
{
    // The length's top bit marks a record written after a dropped one.
    std::uint32_t length;
    std::int64_t microseconds;
};
const std::uint32_t GapFlag = 0x80000000u;

} // namespace

const std::size_t MidiDataTransmissionThread::RecordHeaderSize = sizeof(RecordHeader);

MidiDataTransmissionThread::MidiDataTransmissionThread(QObject* parent, std::size_t capacity)
    : QThread(parent)
    , m_ring(capacity)
    , m_stop(false)
    , m_readerSleeping(false)
    , m_lost(0)
    , m_gap(false)
    , m_pCallbackFunc(nullptr)
    , m_pLostFunc(nullptr)
    , m_pCallbackUser(nullptr)
    , m_pRecord(new unsigned char[m_ring.capacity()])
{
    sem_init(&m_wakeUp, 0, 0);
    start(QThread::InheritPriority);
}

MidiDataTransmissionThread::~MidiDataTransmissionThread()
{
    m_stop = true;
    sem_post(&m_wakeUp);
    wait();
    sem_destroy(&m_wakeUp);
    delete[] m_pRecord;
}

void MidiDataTransmissionThread::setReceivedMidiCallbackFunc(ReceivedMidiCallbackFunc func, void* user,
                                                            LostMidiCallbackFunc lost)
{
    {
        std::lock_guard<std::mutex> lock(m_callbackMutex);
        m_pCallbackFunc = func;
        m_pLostFunc = lost;
        m_pCallbackUser = user;
    }
    // Records that arrived before the callback are delivered now.
    sem_post(&m_wakeUp);
}

bool MidiDataTransmissionThread::writeData(const unsigned char* data, std::size_t size, std::int64_t microseconds)
{
    if (size >= GapFlag || size + RecordHeaderSize > m_ring.writable()) {
        m_lost.fetch_add(1);
        m_gap = true;
        return false;
    }
    const RecordHeader header{static_cast<std::uint32_t>(size) | (m_gap ? GapFlag : 0), microseconds};
    m_gap = false;
    m_ring.write(reinterpret_cast<const unsigned char*>(&header), RecordHeaderSize);
    m_ring.write(data, size);
    m_ring.publish();
    return true;
}

std::uint64_t MidiDataTransmissionThread::lostCount() const
{
    return m_lost.load();
}

void MidiDataTransmissionThread::endDelivery()
{
    // Sequentially consistent with the reader's store and its look at the
    // ring: either the reader sees the record or this sees it sleeping.
    if (m_readerSleeping.exchange(false)) {
        sem_post(&m_wakeUp);
    }
}

void MidiDataTransmissionThread::run()
{
    std::uint64_t reported = 0;
    while (!m_stop) {
        ReceivedMidiCallbackFunc func = nullptr;
        LostMidiCallbackFunc lostFunc = nullptr;
        void* user = nullptr;
        {
            std::lock_guard<std::mutex> lock(m_callbackMutex);
            func = m_pCallbackFunc;
            lostFunc = m_pLostFunc;
            user = m_pCallbackUser;
        }
        // Losses are told before the record after them, never before records
        // that were written ahead of them.
        const std::uint64_t lost = m_lost.load();
        std::uint32_t size = 0;
        std::int64_t microseconds = 0;
        bool afterGap = false;
        const bool taken = func && takeRecord(&size, &microseconds, &afterGap);
        if (lost != reported && (afterGap || !taken)) {
            if (lostFunc) {
                lostFunc(user, lost - reported);
            }
            reported = lost;
        }
        if (taken) {
            func(user, m_pRecord, size, microseconds);
            continue;
        }
        m_readerSleeping = true;
        if (m_stop || (func && m_ring.readable() > 0) || m_lost.load() != reported) {
            m_readerSleeping = false;
            continue;
        }
        while (sem_wait(&m_wakeUp) != 0 && errno == EINTR) {
        }
    }
}

bool MidiDataTransmissionThread::takeRecord(std::uint32_t* size, std::int64_t* microseconds, bool* afterGap)
{
    if (m_ring.readable() < RecordHeaderSize) {
        return false;
    }
    RecordHeader header;
    m_ring.read(reinterpret_cast<unsigned char*>(&header), RecordHeaderSize);
    *afterGap = (header.length & GapFlag) != 0;
    const std::uint32_t length = header.length & ~GapFlag;
    m_ring.read(m_pRecord, length);
    m_ring.release();
    *size = length;
    *microseconds = header.microseconds;
    return true;
}
