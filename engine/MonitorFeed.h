#pragma once

#include "engine/MidiAnalyzer.h"
#include "engine/MidiRecord.h"
#include "engine/MonitorSourceIF.h"

#include <QList>
#include <QObject>

class MonitorSinkIF;

// Collects the monitor engine's records on the thread it lives on and hands
// them to every sink signed up for them, in order. It polls at its interval
// only while records come in: the engine's notifier starts it, and a poll
// that finds nothing stops it, so an idle program has no timer waking it.
class MonitorFeed : public QObject, public MonitorSourceIF
{
    Q_OBJECT

public:
    MonitorFeed(MidiAnalyzer* analyzer, int intervalMilliseconds, QObject* parent = nullptr);
    ~MonitorFeed() override;

    void addMonitor(MonitorSinkIF* sink, Direction direction) override;
    void removeMonitor(MonitorSinkIF* sink) override;
    // Hands over what is there now; false when there was nothing.
    bool collect();

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    void startPolling();
    static void feed(const QList<MonitorSinkIF*>& sinks, const QList<MonitorSinkIF*>& current,
                     const MidiRecords& records);

    MidiAnalyzer* m_pAnalyzer;
    // The last collection's records, emptied: their room goes back to the
    // engine, which then grows none anew under a flood.
    MidiAnalyzer::Records m_spare;
    const int m_interval;
    int m_timerId;
    QList<MonitorSinkIF*> m_received;
    QList<MonitorSinkIF*> m_transmitted;
};
