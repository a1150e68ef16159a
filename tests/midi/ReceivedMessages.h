#ifndef RECEIVEDMESSAGES_H
#define RECEIVEDMESSAGES_H

#include <QByteArray>
#include <QDeadlineTimer>
#include <QList>
#include <QMutex>
#include <QMutexLocker>
#include <QWaitCondition>

// Collects what a receive callback is given, one entry per call.
class ReceivedMessages
{
public:
    static void callback(void* user, const unsigned char* data, unsigned short size)
    {
        static_cast<ReceivedMessages*>(user)->append(QByteArray(reinterpret_cast<const char*>(data), size));
    }

    void append(const QByteArray& message)
    {
        QMutexLocker lock(&m_mutex);
        m_messages.append(message);
        m_changed.wakeAll();
    }

    QList<QByteArray> messages() const
    {
        QMutexLocker lock(&m_mutex);
        return m_messages;
    }

    bool waitFor(int count, int timeoutMs = 5000)
    {
        QDeadlineTimer deadline(timeoutMs);
        QMutexLocker lock(&m_mutex);
        while (m_messages.size() < count) {
            if (!m_changed.wait(&m_mutex, deadline)) {
                return m_messages.size() >= count;
            }
        }
        return true;
    }

private:
    mutable QMutex m_mutex;
    QWaitCondition m_changed;
    QList<QByteArray> m_messages;
};

// A message of size bytes: status byte first, then data bytes below 0x80,
// with 0xF7 last for System Exclusive.
inline QByteArray midiMessage(unsigned char status, int size)
{
    QByteArray message(size, '\0');
    for (int i = 0; i < size; ++i) {
        message[i] = static_cast<char>((i * 7 + size) & 0x7F);
    }
    if (size > 0) {
        message[0] = static_cast<char>(status);
    }
    if (status == 0xF0 && size > 1) {
        message[size - 1] = static_cast<char>(0xF7);
    }
    return message;
}

#endif // RECEIVEDMESSAGES_H
