#include "services/MonitorStatistics.h"

#include <cmath>

namespace {

const double MicrosecondsPerSecond = 1e6;
const double MicrosecondsPerMillisecond = 1e3;
const double SecondsPerMinute = 60.0;
const double ClocksPerBeat = 24.0;

} // namespace

void MonitorStatistics::addMessage(qint64 size, bool timingClock, qint64 microseconds)
{
    ++m_messages;
    ++m_windowMessages;
    m_bytes += quint64(size);
    m_windowBytes += quint64(size);
    if (timingClock) {
        addClock(microseconds);
    }
}

void MonitorStatistics::addClock(qint64 microseconds)
{
    if (m_clockStart < 0) {
        m_clockStart = microseconds;
    } else if (microseconds > m_clockStart) {
        // A clock stamped with the first one's time does not count towards
        // the span after it.
        ++m_clocksAfterStart;
    }
    if (m_clockLast >= 0) {
        const double interval = (microseconds - m_clockLast) / MicrosecondsPerMillisecond;
        ++m_intervals;
        m_intervalSum += interval;
        m_intervalSquareSum += interval * interval;
    }
    m_clockLast = microseconds;
}

void MonitorStatistics::addLost(quint64 count)
{
    m_lost += count;
    m_windowLost += count;
}

MonitorStatistics::Figures MonitorStatistics::read(qint64 elapsedMicroseconds)
{
    Figures figures;
    const double seconds = elapsedMicroseconds / MicrosecondsPerSecond;
    if (seconds > 0.0) {
        figures.messagesPerSecond = m_windowMessages / seconds;
        figures.bytesPerSecond = m_windowBytes / seconds;
    }
    figures.messages = m_messages;
    figures.bytes = m_bytes;
    figures.lost = m_lost;
    figures.xruns = m_xruns;
    if (m_clocksAfterStart > 0 && m_clockLast > m_clockStart) {
        const double span = (m_clockLast - m_clockStart) / MicrosecondsPerSecond;
        figures.beatsPerMinute = m_clocksAfterStart / ClocksPerBeat / span * SecondsPerMinute;
    }
    if (m_intervals > 1) {
        const double mean = m_intervalSum / m_intervals;
        figures.jitterMilliseconds = std::sqrt(qMax(0.0, m_intervalSquareSum / m_intervals - mean * mean));
    }
    // The next window's clocks count from the last one of this window.
    // After a window without clocks the next clock starts afresh.
    m_clockStart = m_clocksAfterStart > 0 ? m_clockLast : -1;
    m_clockLast = m_clockStart;
    m_clocksAfterStart = 0;
    m_intervals = 0;
    m_intervalSum = 0.0;
    m_intervalSquareSum = 0.0;
    m_windowMessages = 0;
    m_windowBytes = 0;
    m_windowLost = 0;
    return figures;
}
