#include "services/MonitorHistory.h"

#include <QLocale>

namespace {

const char StartOfExclusive = char(0xF0);
const char EndOfExclusive = char(0xF7);

} // namespace

bool MonitorEntry::isSystemExclusive() const
{
    return record.isMessage() && record.bytes.size() >= 2 && record.bytes.front() == StartOfExclusive
        && record.bytes.back() == EndOfExclusive;
}

void MonitorHistory::setLimit(int limit)
{
    m_limit = limit;
    trim(m_shown, nullptr);
    trim(m_waiting, &m_droppedWhilePaused);
}

void MonitorHistory::trim(std::deque<MonitorEntry>& entries, quint64* dropped)
{
    while (int(entries.size()) > m_limit) {
        entries.pop_front();
        if (dropped != nullptr) {
            ++*dropped;
        }
    }
}

bool MonitorHistory::append(const MonitorEntry& entry)
{
    std::deque<MonitorEntry>& entries = m_paused ? m_waiting : m_shown;
    entries.push_back(entry);
    trim(entries, m_paused ? &m_droppedWhilePaused : nullptr);
    return !m_paused;
}

void MonitorHistory::passOver()
{
    if (m_paused) {
        ++m_droppedWhilePaused;
    }
}

QVector<MonitorEntry> MonitorHistory::resume(const QString& droppedLineFormat)
{
    m_paused = false;
    QVector<MonitorEntry> added;
    // The line that counts the dropped lines takes the place of one more.
    while (m_droppedWhilePaused > 0 && int(m_waiting.size()) >= m_limit) {
        m_waiting.pop_front();
        ++m_droppedWhilePaused;
    }
    if (m_droppedWhilePaused > 0) {
        MonitorEntry note;
        note.note = droppedLineFormat.arg(QLocale().toString(m_droppedWhilePaused));
        added.append(note);
        m_droppedWhilePaused = 0;
    }
    added.reserve(added.size() + int(m_waiting.size()));
    added.append(QVector<MonitorEntry>(m_waiting.begin(), m_waiting.end()));
    m_waiting.clear();
    for (const MonitorEntry& entry : added) {
        m_shown.push_back(entry);
    }
    trim(m_shown, nullptr);
    return added;
}

QByteArray MonitorHistory::systemExclusiveBytes() const
{
    QByteArray bytes;
    for (const auto* entries : {&m_shown, &m_waiting}) {
        for (const MonitorEntry& entry : *entries) {
            if (entry.isSystemExclusive()) {
                bytes += entry.record.bytes;
            }
        }
    }
    return bytes;
}

bool MonitorHistory::hasSystemExclusive() const
{
    for (const auto* entries : {&m_shown, &m_waiting}) {
        for (const MonitorEntry& entry : *entries) {
            if (entry.isSystemExclusive()) {
                return true;
            }
        }
    }
    return false;
}

void MonitorHistory::clear()
{
    m_shown.clear();
    m_waiting.clear();
    m_droppedWhilePaused = 0;
}
