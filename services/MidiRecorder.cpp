#include "services/MidiRecorder.h"

#include "services/MidiFileFormat.h"
#include "services/MidiFileWriter.h"

#include <algorithm>

namespace {

const char* const LostText = "%1 messages lost here: they came faster than they could be taken.";
const char* const TooLongText = "A System Exclusive message longer than %1 bytes was dropped here.";
const char* const XrunText = "%1 xruns of the MIDI system here: a message arriving across one may lack bytes.";
const char* const CutShortText = "A System Exclusive message was cut short here after %1 bytes.";
const char* const FullText = "The recording was full: nothing after this was recorded.";

// An event's bytes beyond its message: a delta time and a length of four
// bytes at most, and the status of a System Exclusive or escape event.
const qint64 EventOverhead = 2 * MidiFileFormat::VariableLengthMaximumBytes + 1;
// The header, the tempo and the end of the track, and the marks of losses.
const qint64 ReservedBytes = 4096;
// The reader counts the tempo change as an event as well.
const int MaximumMessages = MidiFileFormat::MaximumEventCount - 1;

} // namespace

MidiRecorder::MidiRecorder()
    : m_start(0)
    , m_last(0)
    , m_lost(0)
    , m_trackBytes(0)
    , m_full(false)
{
}

void MidiRecorder::start(qint64 nowMicroseconds)
{
    m_start = nowMicroseconds;
    m_last = nowMicroseconds;
    m_messages.clear();
    m_texts.clear();
    m_lost = 0;
    m_trackBytes = 0;
    m_full = false;
}

void MidiRecorder::take(const MidiRecords& records)
{
    for (const MidiRecord& record : records) {
        if (record.microseconds < m_start)
            continue;
        m_last = std::max(m_last, record.microseconds);
        const qint64 time = record.microseconds - m_start;
        switch (record.kind) {
        case MidiRecord::Kind::Message:
            if (fits(time, record.bytes.size()))
                m_messages.append(MidiFileMessage{time, record.bytes});
            break;
        case MidiRecord::Kind::Lost:
            m_lost += record.count;
            mark(time, QString::fromLatin1(LostText).arg(record.count));
            break;
        case MidiRecord::Kind::TooLong:
            ++m_lost;
            mark(time, QString::fromLatin1(TooLongText).arg(record.count));
            break;
        case MidiRecord::Kind::CutShort:
            ++m_lost;
            mark(time, QString::fromLatin1(CutShortText).arg(record.count));
            break;
        case MidiRecord::Kind::Xrun:
            mark(time, QString::fromLatin1(XrunText).arg(record.count));
            break;
        case MidiRecord::Kind::Failed:
            break;
        }
    }
}

qint64 MidiRecorder::length(qint64 nowMicroseconds) const
{
    return std::max(nowMicroseconds, m_last) - m_start;
}

bool MidiRecorder::write(qint64 endMicroseconds, QByteArray* file, QString* error) const
{
    return MidiFileWriter::write(m_messages, m_texts, length(endMicroseconds), file, error);
}

void MidiRecorder::mark(qint64 time, const QString& text)
{
    // Past the mark of a full recording, the lost count alone tells the rest.
    if (m_full)
        return;
    m_texts.append(MidiFileText{time, text});
    // Meta events take two bytes more than their text.
    m_trackBytes += text.size() + EventOverhead + 1;
}

bool MidiRecorder::fits(qint64 time, int size)
{
    if (!m_full && (m_messages.size() >= MaximumMessages
                    || m_trackBytes + size + EventOverhead > MidiFileFormat::MaximumFileSize - ReservedBytes)) {
        mark(time, QLatin1String(FullText));
        m_full = true;
    }
    if (m_full) {
        ++m_lost;
        return false;
    }
    m_trackBytes += size + EventOverhead;
    return true;
}
