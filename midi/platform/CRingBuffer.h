#ifndef CRINGBUFFER_H
#define CRINGBUFFER_H

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <memory>

// A ring of elements for one writer thread and one reader thread, without
// locks: each side owns one index and publishes it with release order, so the
// writer (the platform's real-time MIDI thread) never waits for the reader.
// The writer copies a record in parts with write() and makes it visible at
// once with publish(); the reader mirrors this with read() and release().
// The capacity is rounded up to a power of two.
template <typename T>
class CRingBuffer
{
public:
    explicit CRingBuffer(std::size_t capacity)
        : m_capacity(roundUpToPowerOfTwo(capacity))
        , m_pStorage(new T[m_capacity]())
        , m_written(0)
        , m_read(0)
        , m_writeCursor(0)
        , m_readCursor(0)
    {
    }

    CRingBuffer(const CRingBuffer&) = delete;
    CRingBuffer& operator=(const CRingBuffer&) = delete;

    std::size_t capacity() const
    {
        return m_capacity;
    }

    // Writer: room left for unpublished writes.
    std::size_t writable() const
    {
        return m_capacity - (m_writeCursor - m_read.load(std::memory_order_acquire));
    }

    // Writer: copies n elements (at most writable()) behind the last write.
    void write(const T* data, std::size_t n)
    {
        copyAround(m_writeCursor, n, [this, data](std::size_t at, std::size_t done, std::size_t count) {
            std::copy(data + done, data + done + count, m_pStorage.get() + at);
        });
        m_writeCursor += n;
    }

    // Writer: hands everything written so far to the reader.
    void publish()
    {
        m_written.store(m_writeCursor, std::memory_order_release);
    }

    // Reader: published elements not yet read.
    std::size_t readable() const
    {
        return m_written.load(std::memory_order_acquire) - m_readCursor;
    }

    // Reader: copies n elements (at most readable()) behind the last read.
    void read(T* data, std::size_t n)
    {
        copyAround(m_readCursor, n, [this, data](std::size_t at, std::size_t done, std::size_t count) {
            std::copy(m_pStorage.get() + at, m_pStorage.get() + at + count, data + done);
        });
        m_readCursor += n;
    }

    // Reader: gives the room of everything read so far back to the writer.
    void release()
    {
        m_read.store(m_readCursor, std::memory_order_release);
    }

private:
    static std::size_t roundUpToPowerOfTwo(std::size_t n)
    {
        std::size_t power = 1;
        while (power < n) {
            power <<= 1;
        }
        return power;
    }

    // Calls copy(storage index, elements done, count) for the one or two
    // stretches that n elements from the free-running position take.
    template <typename Copy>
    void copyAround(std::size_t position, std::size_t n, Copy copy) const
    {
        const std::size_t at = position & (m_capacity - 1);
        const std::size_t first = std::min(n, m_capacity - at);
        copy(at, 0, first);
        if (first < n) {
            copy(0, first, n - first);
        }
    }

    const std::size_t m_capacity;
    const std::unique_ptr<T[]> m_pStorage;
    // Free-running positions; their difference is the fill, wrap-around of
    // the counters themselves included.
    alignas(64) std::atomic<std::size_t> m_written;
    alignas(64) std::atomic<std::size_t> m_read;
    alignas(64) std::size_t m_writeCursor;
    alignas(64) std::size_t m_readCursor;
};

#endif // CRINGBUFFER_H
