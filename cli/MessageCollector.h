#pragma once

#include "services/MidiStreamReader.h"

#include <QByteArray>
#include <QObject>

#include <cstdint>
#include <mutex>
#include <vector>

// Assembles what the input port receives into whole messages on the receive
// thread and hands them to the main thread: they are queued under a mutex
// held only to append or to take, and arrived() is emitted when the queue
// was empty, to be taken through a queued connection. The receive thread
// never waits for the main thread.
class MessageCollector : public QObject
{
    Q_OBJECT

public:
    struct Message
    {
        QByteArray bytes;
        // Arrival, as seconds and microseconds since the epoch.
        long seconds;
        long microseconds;
    };

    MessageCollector(std::size_t maxSystemExclusive, bool systemExclusiveOnly);

    // The input port's callbacks; user is the collector.
    static void received(void* user, const unsigned char* data, std::size_t size);
    static void lost(void* user, std::uint64_t count);

    // Main thread: what arrived since the last call, and the messages lost
    // or dropped as too long since then.
    std::vector<Message> take(std::uint64_t* lostCount, std::uint64_t* tooLongCount);

signals:
    void arrived();

private:
    void receive(const unsigned char* data, std::size_t size);
    void append(Message message, std::uint64_t lostCount, std::uint64_t tooLongCount);

    // Receive thread only.
    MidiStreamReader m_reader;
    const bool m_systemExclusiveOnly;

    std::mutex m_mutex;
    std::vector<Message> m_messages;
    std::uint64_t m_lost;
    std::uint64_t m_tooLong;
    // arrived() was emitted and nothing has been taken since.
    bool m_announced;
};
