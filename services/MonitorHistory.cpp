#include "services/MonitorHistory.h"

#include "midilib_constants.h"

#include <QLocale>

namespace {

const char StartOfExclusive = char(0xF0);
const char EndOfExclusive = char(0xF7);

// What the text view holds of a line, in characters: "HH:MM:SS:mmm ", three
// for each byte, and for a message too long to show whole its first and
// last bytes with its length; a line of words (a loss) about as long as its
// sentence.
const qint64 StampCharacters = 13;
const qint64 CharactersPerByte = 3;
const qint64 ShortenedLineCharacters = 40;
const qint64 WordsLineCharacters = 100;
const qint64 BytesPerCharacter = 2;
// The entry in the history and the line's block and layout in the text view.
const qint64 LineOverheadBytes = 512;

qint64 lineCharacters(const MonitorEntry& entry)
{
    if (!entry.note.isEmpty())
        return entry.note.size();
    const MidiRecord& record = entry.record;
    if (record.kind == MidiRecord::Kind::Lost || record.kind == MidiRecord::Kind::TooLong
        || record.kind == MidiRecord::Kind::Xrun)
        return WordsLineCharacters;
    const qint64 size = record.bytes.size();
    const qint64 body = size <= MIDILIB_Message_SizeMax ? CharactersPerByte * size : ShortenedLineCharacters;
    return StampCharacters + body + (record.kind == MidiRecord::Kind::CutShort ? WordsLineCharacters : 0);
}

} // namespace

bool MonitorEntry::isSystemExclusive() const
{
    return record.isMessage() && record.bytes.size() >= 2 && record.bytes.front() == StartOfExclusive
        && record.bytes.back() == EndOfExclusive;
}

qint64 MonitorHistory::entryBytes(const MonitorEntry& entry)
{
    const qint64 message = qMax(entry.record.bytes.size(), entry.record.bytes.capacity());
    return message + BytesPerCharacter * lineCharacters(entry) + LineOverheadBytes;
}

void MonitorHistory::setLimit(int limit)
{
    m_limit = limit;
    trim();
}

void MonitorHistory::setByteBudget(qint64 bytes)
{
    m_byteBudget = bytes;
    trim();
}

void MonitorHistory::push(std::deque<MonitorEntry>& entries, qint64& bytes, const MonitorEntry& entry)
{
    entries.push_back(entry);
    bytes += entryBytes(entry);
}

void MonitorHistory::popFront(std::deque<MonitorEntry>& entries, qint64& bytes)
{
    bytes -= entryBytes(entries.front());
    entries.pop_front();
}

void MonitorHistory::trim()
{
    while (int(m_shown.size()) > m_limit)
        popFront(m_shown, m_shownBytes);
    while (int(m_waiting.size()) > m_limit) {
        popFront(m_waiting, m_waitingBytes);
        ++m_droppedWhilePaused;
    }
    // Paused, the lines in sight stay while waiting ones can go.
    while (bytes() > m_byteBudget && m_waiting.size() > 1) {
        popFront(m_waiting, m_waitingBytes);
        ++m_droppedWhilePaused;
    }
    while (bytes() > m_byteBudget && !m_shown.empty() && m_shown.size() + m_waiting.size() > 1) {
        popFront(m_shown, m_shownBytes);
        ++m_overBudget;
    }
}

bool MonitorHistory::append(const MonitorEntry& entry)
{
    if (m_paused)
        push(m_waiting, m_waitingBytes, entry);
    else
        push(m_shown, m_shownBytes, entry);
    trim();
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
        popFront(m_waiting, m_waitingBytes);
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
    m_waitingBytes = 0;
    for (const MonitorEntry& entry : added) {
        push(m_shown, m_shownBytes, entry);
    }
    trim();
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
    m_shownBytes = 0;
    m_waitingBytes = 0;
    m_droppedWhilePaused = 0;
    m_overBudget = 0;
}
