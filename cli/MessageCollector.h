#pragma once

#include "engine/MonitorSinkIF.h"

#include <QByteArray>
#include <QObject>

#include <cstdint>
#include <vector>

// Collects the whole messages the engine received (only System Exclusive
// when asked) and the losses it reported, on the main thread, until they are
// taken; arrived() says that there is something to take.
class MessageCollector : public QObject, public MonitorSinkIF
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

    explicit MessageCollector(bool systemExclusiveOnly);

    void takeRecords(const MidiRecords& records) override;
    // What arrived since the last call, and the messages lost or dropped as
    // too long since then.
    std::vector<Message> take(std::uint64_t* lostCount, std::uint64_t* tooLongCount);

signals:
    void arrived();

private:
    const bool m_systemExclusiveOnly;
    std::vector<Message> m_messages;
    std::uint64_t m_lost;
    std::uint64_t m_tooLong;
};
