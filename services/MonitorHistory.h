#pragma once

#include "engine/MidiRecord.h"
#include "services/MonitorLineDecoder.h"

#include <QByteArray>
#include <QString>
#include <QVector>

#include <deque>

// One line of a monitor: the record, whether it shows its time stamp, and
// what decoding it needs; or a note of the monitor's own.
struct MonitorEntry
{
    MidiRecord record;
    bool stamped = false;
    MonitorLineDecoder::Context context;
    // Not empty for a note, which stands for no record.
    QString note;

    // A whole System Exclusive message, F0 to F7.
    bool isSystemExclusive() const;
};

// The lines a monitor keeps: those shown, at most limit of them, and while
// paused those waiting to be shown, at most limit as well, counting the
// waiting lines that had to go.
class MonitorHistory
{
public:
    explicit MonitorHistory(int limit) : m_limit(limit) {}

    int limit() const { return m_limit; }
    void setLimit(int limit);
    bool isPaused() const { return m_paused; }
    void pause() { m_paused = true; }
    // Shows the waiting lines, after a line of text that counts those that
    // had to go, when any did; returns the lines now shown in addition.
    QVector<MonitorEntry> resume(const QString& droppedLineFormat);
    // Shown at once, or waiting while paused; true when shown.
    bool append(const MonitorEntry& entry);
    // A line that newer lines push out at once, without its entry.
    void passOver();
    int waitingCount() const { return int(m_waiting.size()); }
    const std::deque<MonitorEntry>& shown() const { return m_shown; }
    // The whole System Exclusive messages, shown and waiting, in order.
    QByteArray systemExclusiveBytes() const;
    bool hasSystemExclusive() const;
    void clear();

private:
    void trim(std::deque<MonitorEntry>& entries, quint64* dropped);

    int m_limit;
    bool m_paused = false;
    std::deque<MonitorEntry> m_shown;
    std::deque<MonitorEntry> m_waiting;
    quint64 m_droppedWhilePaused = 0;
};
