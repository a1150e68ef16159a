#pragma once

#include "engine/MonitorSinkIF.h"

#include <QByteArray>
#include <QObject>

#include <vector>

// Collects the whole messages the engine received (only System Exclusive
// when asked) and the records of the losses it reported, on the main thread,
// until they are taken; arrived() says that there is something to take.
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
        // The same in monotonic microseconds, as the engine gave it.
        qint64 time;
    };

    explicit MessageCollector(bool systemExclusiveOnly);

    void takeRecords(const MidiRecords& records) override;
    // What arrived since the last call, and the records of the messages lost
    // or dropped as too long since then.
    std::vector<Message> take(MidiRecords* losses);

signals:
    void arrived();

private:
    const bool m_systemExclusiveOnly;
    std::vector<Message> m_messages;
    MidiRecords m_losses;
};
