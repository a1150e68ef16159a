#pragma once

#include "engine/MidiRecord.h"
#include "model/TarvoParameters.h"
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
// waiting lines that had to go. Shown and waiting lines together take at
// most the byte budget (as entryBytes counts them); beyond it the oldest
// go, waiting ones first while paused, and are counted too. The newest line
// always stays, whatever it takes.
class MonitorHistory
{
public:
    explicit MonitorHistory(int limit) : m_limit(limit) {}

    int limit() const { return m_limit; }
    void setLimit(int limit);
    qint64 byteBudget() const { return m_byteBudget; }
    void setByteBudget(qint64 bytes);
    // What the lines kept now take.
    qint64 bytes() const { return m_shownBytes + m_waitingBytes; }
    // Shown lines that went for the byte budget rather than the line limit
    // since the history was cleared; waiting ones count among the dropped
    // lines that resume reports.
    quint64 overBudgetCount() const { return m_overBudget; }
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

    // The memory a line is counted with, roughly: its message's bytes as
    // allocated, its hex line as the text view holds it (two bytes a
    // character: a stamp and three characters a byte, or the shortened form
    // of a message too long to show whole), and a share for the entry and
    // the text view's block of the line.
    static qint64 entryBytes(const MonitorEntry& entry);

private:
    void push(std::deque<MonitorEntry>& entries, qint64& bytes, const MonitorEntry& entry);
    void popFront(std::deque<MonitorEntry>& entries, qint64& bytes);
    // Drops the oldest lines over the limit, then over the budget.
    void trim();

    int m_limit;
    qint64 m_byteBudget = monitorMemoryBytes(DefaultMonitorMemoryMiB);
    bool m_paused = false;
    std::deque<MonitorEntry> m_shown;
    std::deque<MonitorEntry> m_waiting;
    qint64 m_shownBytes = 0;
    qint64 m_waitingBytes = 0;
    quint64 m_droppedWhilePaused = 0;
    quint64 m_overBudget = 0;
};
