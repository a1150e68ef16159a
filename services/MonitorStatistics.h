#pragma once

#include <QtGlobal>

// What a monitor counts of its traffic: rates over the time between two
// readings, totals, lost messages, and the tempo and steadiness of timing
// clock while it arrives.
class MonitorStatistics
{
public:
    struct Figures
    {
        double messagesPerSecond = 0.0;
        double bytesPerSecond = 0.0;
        quint64 messages = 0;
        quint64 bytes = 0;
        quint64 lost = 0;
        // Overruns of the MIDI system's cycle while receiving.
        quint64 xruns = 0;
        // 0 when no timing clock arrived since the previous reading.
        double beatsPerMinute = 0.0;
        // Standard deviation of the clock intervals; negative with fewer
        // than two intervals to measure.
        double jitterMilliseconds = -1.0;
    };

    // One message of size bytes that arrived or left at microseconds.
    void addMessage(qint64 size, bool timingClock, qint64 microseconds);
    void addLost(quint64 count);
    void addXruns(quint64 count) { m_xruns += count; }
    // The figures over the elapsedMicroseconds since the previous reading.
    Figures read(qint64 elapsedMicroseconds);
    // Whether anything arrived since the previous reading.
    bool hasNewTraffic() const { return m_windowMessages > 0 || m_windowLost > 0; }

private:
    void addClock(qint64 microseconds);

    quint64 m_messages = 0;
    quint64 m_bytes = 0;
    quint64 m_lost = 0;
    quint64 m_xruns = 0;
    quint64 m_windowMessages = 0;
    quint64 m_windowBytes = 0;
    quint64 m_windowLost = 0;
    // Clocks later than the first clock of the window, and the times of both ends.
    qint64 m_clockStart = -1;
    qint64 m_clockLast = -1;
    int m_clocksAfterStart = 0;
    // Intervals between successive clocks, in milliseconds.
    int m_intervals = 0;
    double m_intervalSum = 0.0;
    double m_intervalSquareSum = 0.0;
};
