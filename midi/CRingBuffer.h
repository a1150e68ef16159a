#ifndef CRINGBUFFER_H
#define CRINGBUFFER_H

#include <algorithm>
#include <cstddef>

// A ring of elements with wrapping writes and reads. It keeps no account of
// how full it is; its owner does. An index equal to the capacity behaves as 0.
template <typename T>
class CRingBuffer
{
public:
    explicit CRingBuffer(std::size_t capacity)
        : m_pStorage(new T[capacity]())
        , m_capacity(capacity)
        , m_writeIndex(0)
        , m_readIndex(0)
    {
    }

    virtual ~CRingBuffer()
    {
        delete[] m_pStorage;
    }

    CRingBuffer(const CRingBuffer&) = delete;
    CRingBuffer& operator=(const CRingBuffer&) = delete;

    // Copies n elements (at most the capacity) at the write index and
    // advances it, continuing at the start of the storage past its end.
    inline void write(const T* data, std::size_t n)
    {
        if (m_writeIndex + n <= m_capacity) {
            std::copy(data, data + n, m_pStorage + m_writeIndex);
            m_writeIndex += n;
            return;
        }
        const std::size_t tail = m_capacity - m_writeIndex;
        std::copy(data, data + tail, m_pStorage + m_writeIndex);
        std::copy(data + tail, data + n, m_pStorage);
        m_writeIndex = n - tail;
    }

    // Mirrors write() on the read index.
    inline void read(T* data, std::size_t n)
    {
        if (m_readIndex + n <= m_capacity) {
            std::copy(m_pStorage + m_readIndex, m_pStorage + m_readIndex + n, data);
            m_readIndex += n;
            return;
        }
        const std::size_t tail = m_capacity - m_readIndex;
        std::copy(m_pStorage + m_readIndex, m_pStorage + m_capacity, data);
        std::copy(m_pStorage, m_pStorage + (n - tail), data + tail);
        m_readIndex = n - tail;
    }

    std::size_t capacity() const
    {
        return m_capacity;
    }

    std::size_t writeIndex() const
    {
        return m_writeIndex;
    }

    std::size_t readIndex() const
    {
        return m_readIndex;
    }

private:
    T* m_pStorage;
    std::size_t m_capacity;
    std::size_t m_writeIndex;
    std::size_t m_readIndex;
};

#endif // CRINGBUFFER_H
