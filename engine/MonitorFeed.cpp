#include "engine/MonitorFeed.h"

#include "engine/MidiAnalyzer.h"
#include "engine/MonitorSinkIF.h"

#include <QTimerEvent>

#include <utility>

MonitorFeed::MonitorFeed(MidiAnalyzer* analyzer, int intervalMilliseconds, QObject* parent)
    : QObject(parent)
    , m_pAnalyzer(analyzer)
    , m_interval(intervalMilliseconds)
    , m_timerId(0)
{
    m_pAnalyzer->setTransmittedRecordsWanted(false);
    m_pAnalyzer->setDataNotifier(
        [this]() { QMetaObject::invokeMethod(this, &MonitorFeed::startPolling, Qt::QueuedConnection); });
    startPolling();
}

MonitorFeed::~MonitorFeed()
{
    m_pAnalyzer->setDataNotifier(nullptr);
}

void MonitorFeed::addMonitor(MonitorSinkIF* sink, Direction direction)
{
    (direction == Direction::Received ? m_received : m_transmitted).append(sink);
    m_pAnalyzer->setTransmittedRecordsWanted(!m_transmitted.isEmpty());
}

void MonitorFeed::removeMonitor(MonitorSinkIF* sink)
{
    m_received.removeAll(sink);
    m_transmitted.removeAll(sink);
    m_pAnalyzer->setTransmittedRecordsWanted(!m_transmitted.isEmpty());
}

void MonitorFeed::startPolling()
{
    if (m_timerId == 0)
        m_timerId = startTimer(m_interval, Qt::CoarseTimer);
}

void MonitorFeed::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_timerId)
        return;
    if (!collect()) {
        killTimer(m_timerId);
        m_timerId = 0;
    }
}

bool MonitorFeed::collect()
{
    // Taken out of the member: a sink's dialog may collect again meanwhile.
    MidiAnalyzer::Records records;
    std::swap(records, m_spare);
    const bool any = m_pAnalyzer->getMidiData(records);
    if (any) {
        // Copies of the lists: a sink may open or close another while it is
        // fed, and one added now waits for the next collection.
        feed(QList<MonitorSinkIF*>(m_transmitted), m_transmitted, records.transmitted);
        feed(QList<MonitorSinkIF*>(m_received), m_received, records.received);
    }
    records.received.clear();
    records.transmitted.clear();
    std::swap(records, m_spare);
    return any;
}

void MonitorFeed::feed(const QList<MonitorSinkIF*>& sinks, const QList<MonitorSinkIF*>& current,
                       const MidiRecords& records)
{
    if (records.isEmpty())
        return;
    for (MonitorSinkIF* sink : sinks) {
        if (current.contains(sink))
            sink->takeRecords(records);
    }
}
